// The two console text channels. Output is buffered and written in binary,
// so "\r\n" reaches the console exactly once on every platform.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

extern const char kLineEnd[];  // "\r\n"

// A buffered writer onto one standard stream. After the first failed write
// it drops everything and keeps the failure for the program to report.
// Until a program flushes it, it writes whole lines only.
struct TChannel {
  TStdStream Stream;
  std::string Buffer;
  bool Failed = false;
  std::string ErrorText;
  std::string* Capture = nullptr;  // tests: flushed bytes land here instead
  bool Interactive = false;        // a terminal: each line goes out at once
};

// The copy of standard output and the copy of standard error made at start-up.
TChannel& StdOutChannel();
TChannel& ErrorChannel();

// The shared output channel: normal program output goes here. It starts as
// standard output; the syntax-error report re-points it at standard error.
TChannel& Out();
void PointSharedOutputAtError();
// Back to standard output, as at start-up, so that a second run in one
// process starts where the first did.
void ResetSharedOutput();
// Which channels write to a terminal, from the platform; at start-up.
void DetectInteractiveChannels();

void Write(TChannel& ch, std::string_view text);
void WriteLine(TChannel& ch, std::string_view text);  // text + CR LF
void WriteLineEnd(TChannel& ch);
// Writes what is buffered; false when the channel has failed.
bool Flush(TChannel& ch);
// On the way out of a failed run: the line still being written is dropped,
// so the stream ends after the last whole line. Only a line longer than the
// buffer has gone out in part.
void DropUnfinishedLine(TChannel& ch);
// Flushes both channels; false when either has failed.
bool FlushAll();
