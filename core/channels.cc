#include "channels.h"

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

bool Flush(TChannel& ch) {
  if (ch.Failed) {
    ch.Buffer.clear();
    return false;
  }
  if (ch.Buffer.empty()) return true;
  if (ch.Capture) {
    ch.Capture->append(ch.Buffer);
    ch.Buffer.clear();
    return true;
  }
  if (!PlatWriteStd(ch.Stream, ch.Buffer.data(), ch.Buffer.size(), &ch.ErrorText)) ch.Failed = true;
  ch.Buffer.clear();
  return !ch.Failed;
}

void Write(TChannel& ch, std::string_view text) {
  if (ch.Failed) return;
  if (&ch == &gStdErr) {
    // Keep the console order of the two streams: what stdout holds came first.
    Flush(gStdOut);
  }
  ch.Buffer.append(text.data(), text.size());
  if (ch.Buffer.size() >= kChannelBuffer) Flush(ch);
}

void WriteLineEnd(TChannel& ch) {
  Write(ch, kLineEnd);
  // Errors and prompts are for a person waiting on them: no holding back.
  if (&ch == &gStdErr) Flush(ch);
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
