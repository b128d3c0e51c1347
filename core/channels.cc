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

void WriteOut(TChannel& ch, std::string_view text) {
  if (ch.Capture) {
    ch.Capture->append(text);
    return;
  }
  // Erase the progress line first, so that real output never lands in the
  // middle of it.
  EraseProgressLine();
  if (!PlatWriteStd(ch.Stream, text.data(), text.size(), &ch.ErrorText)) ch.Failed = true;
}

// The end of the last whole line in the buffer; after it comes a line still
// being written.
std::size_t WholeLinesEnd(const std::string& buffer) {
  const std::size_t end = buffer.rfind('\n');
  return end == std::string::npos ? 0 : end + 1;
}

// Writes the whole lines and keeps back the one still being written, so
// that a run failing halfway through a line can drop it and the stream
// never ends in a cut line. A line that alone fills the buffer goes out
// unfinished, since no line is ever held whole in memory.
void FlushWholeLines(TChannel& ch) {
  const std::size_t end = WholeLinesEnd(ch.Buffer);
  if (ch.Failed || ch.Buffer.size() - end >= kChannelBuffer) {
    Flush(ch);
  } else if (end > 0) {
    WriteOut(ch, std::string_view(ch.Buffer).substr(0, end));
    ch.Buffer.erase(0, end);
  }
}

}  // namespace

void DropUnfinishedLine(TChannel& ch) { ch.Buffer.resize(WholeLinesEnd(ch.Buffer)); }

bool Flush(TChannel& ch) {
  // A failed channel drops what it holds.
  if (!ch.Failed && !ch.Buffer.empty()) WriteOut(ch, ch.Buffer);
  ch.Buffer.clear();
  return !ch.Failed;
}

void Write(TChannel& ch, std::string_view text) {
  if (ch.Failed) return;
  if (&ch == &gStdErr) {
    // The whole lines standard output holds go out first, so that on a
    // shared console the lines of both streams appear in the order they
    // were written; a line standard output is still writing follows once
    // it ends.
    FlushWholeLines(gStdOut);
  }
  if (text.size() >= kChannelBuffer) {
    // A text as big as the buffer goes straight out after what is
    // buffered, so that a line of any length is never copied.
    if (Flush(ch)) WriteOut(ch, text);
    return;
  }
  ch.Buffer.append(text.data(), text.size());
  if (ch.Buffer.size() >= kChannelBuffer) FlushWholeLines(ch);
}

void WriteLineEnd(TChannel& ch) {
  Write(ch, kLineEnd);
  // Standard error and a terminal are flushed at every line end, so that
  // errors and prompts appear at once; output into a file or a pipe is
  // written in large blocks.
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
