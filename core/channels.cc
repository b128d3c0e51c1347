#include "channels.h"

#include "progress_line.h"

const char kLineEnd[] = "\r\n";

namespace {

constexpr std::size_t kChannelBuffer = 64 * 1024;

TChannel gStdOut{StdOutput, {}, false, {}};
TChannel gStdErr{StdError, {}, false, {}};
TChannel* gShared = &gStdOut;

}  // namespace

TChannel& StdOutChannel() { return gStdOut; }
TChannel& ErrorChannel() { return gStdErr; }
TChannel& Out() { return *gShared; }

void PointSharedOutputAtError() {
  Flush(gStdOut);
  gShared = &gStdErr;
}

void ResetSharedOutput() { gShared = &gStdOut; }

void DetectInteractiveChannels() {
  gStdOut.Interactive = PlatIsTerminal(StdOutput);
  gStdErr.Interactive = PlatIsTerminal(StdError);
}

namespace {

bool WriteOut(TChannel& ch, std::string_view text) {
  if (ch.Capture) {
    ch.Capture->append(text);
    return true;
  }
  // A progress line on the terminal makes room for real output.
  EraseProgressLine();
  if (!PlatWriteStd(ch.Stream, text.data(), text.size(), &ch.ErrorText)) ch.Failed = true;
  return !ch.Failed;
}

}  // namespace

bool Flush(TChannel& ch) {
  if (ch.Failed) {
    ch.Buffer.clear();
    return false;
  }
  if (ch.Buffer.empty()) return true;
  WriteOut(ch, ch.Buffer);
  ch.Buffer.clear();
  return !ch.Failed;
}

void Write(TChannel& ch, std::string_view text) {
  if (ch.Failed) return;
  if (&ch == &gStdErr) {
    // Keep the console order of the two streams: what stdout holds came first.
    Flush(gStdOut);
  }
  if (text.size() >= kChannelBuffer) {
    // A text as big as the buffer goes straight out: a line of any length
    // is never copied.
    if (Flush(ch)) WriteOut(ch, text);
    return;
  }
  ch.Buffer.append(text.data(), text.size());
  if (ch.Buffer.size() >= kChannelBuffer) Flush(ch);
}

void WriteLineEnd(TChannel& ch) {
  Write(ch, kLineEnd);
  // Errors, prompts and whatever a person watches on a terminal: no
  // holding back. Redirected output is written in large blocks.
  if (&ch == &gStdErr || ch.Interactive) Flush(ch);
}

void WriteLine(TChannel& ch, std::string_view text) {
  Write(ch, text);
  WriteLineEnd(ch);
}

bool FlushAll() {
  bool out = Flush(gStdOut);
  bool err = Flush(gStdErr);
  return out && err;
}
