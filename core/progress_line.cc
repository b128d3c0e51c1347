#include "progress_line.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "channels.h"
#include "numbers.h"
#include "platform/platform.h"

namespace {

typedef std::chrono::steady_clock TClock;
constexpr auto kFirstAfter = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(250);
// Narrower than the narrowest console, so that it never wraps.
constexpr std::size_t kMaxWidth = 79;

struct TProgress {
  bool On = false;
  std::string Label;
  TClock::time_point Start{}, LastDrawn{};
  std::size_t Shown = 0;  // characters on the screen now
};
TProgress gProgress;

void Put(const std::string& text) {
  std::string ignored;
  PlatWriteStd(StdError, text.data(), text.size(), &ignored);
}

}  // namespace

std::string ProgressLineText(std::string_view label, std::int64_t done, std::int64_t total, double seconds) {
  std::string line = std::string(label) + " ";
  if (total > 0) {
    const std::int64_t shown = std::min(done, total);
    const auto percent = static_cast<std::int64_t>(100.0 * static_cast<double>(shown) / static_cast<double>(total));
    line += std::to_string(percent) + "% - " + FormatGrouped(shown) + " of " + FormatGrouped(total) + " bytes";
  } else {
    line += FormatGrouped(done) + " bytes";
  }
  if (seconds > 0) line += " - " + FormatGrouped(static_cast<std::int64_t>(done / seconds / 1e6)) + " MB/s";
  if (line.size() > kMaxWidth) line.resize(kMaxWidth);
  return line;
}

void StartProgressLine(std::string_view label) {
  // On when standard error was a terminal at start-up.
  gProgress = {.On = ErrorChannel().Interactive, .Label = std::string(label), .Start = TClock::now()};
}

void ShowProgress(std::int64_t done, std::int64_t total) {
  TProgress& p = gProgress;
  if (!p.On) return;
  const TClock::time_point now = TClock::now();
  if (now - p.Start < kFirstAfter || (p.Shown > 0 && now - p.LastDrawn < kRedrawEvery)) return;
  const std::string line = ProgressLineText(p.Label, done, total, std::chrono::duration<double>(now - p.Start).count());
  // The new line is drawn over the old one; when it is shorter, blanks
  // cover the rest of the old one.
  std::string draw = "\r" + line;
  if (line.size() < p.Shown) draw += std::string(p.Shown - line.size(), ' ') + "\r" + line;
  Put(draw);
  p.Shown = line.size();
  p.LastDrawn = now;
}

void EraseProgressLine() {
  TProgress& p = gProgress;
  if (p.Shown == 0) return;
  Put("\r" + std::string(p.Shown, ' ') + "\r");
  p.Shown = 0;
}

void StopProgressLine() {
  EraseProgressLine();
  gProgress.On = false;
}
