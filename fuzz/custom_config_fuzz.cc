// Arbitrary bytes as the custom layout file: read without error, and the
// last configuration line decides the whole layout.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "custom_config.h"
#include "fuzz_support.h"
#include "line_split.h"
#include "startup.h"

namespace {

bool SameSet(const TCharSet& a, const TCharSet& b) { return std::memcmp(a.Has, b.Has, sizeof a.Has) == 0; }

bool SameProfile(const TSyslogConfigRec& a, const TSyslogConfigRec& b) {
  return a.Kind == b.Kind && a.Marker == b.Marker && a.Date_Index == b.Date_Index && a.Index_1 == b.Index_1 &&
         a.Index_2 == b.Index_2 && SameSet(a.Date_Delimiter, b.Date_Delimiter) &&
         SameSet(a.Delimiter_1, b.Delimiter_1) && SameSet(a.Delimiter_2, b.Delimiter_2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzSink sink;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const TFuzzFile file(text, "layout.txt");
  const std::string& path = file.Path;

  ExitCode = 0;
  TSyslogConfigRec profile;
  ReadCustomSyslogConfig(path, profile);
  FlushAll();
  FUZZ_CHECK(ExitCode == 0);
  FUZZ_CHECK(sink.Text.empty() && sink.ErrorText.empty());

  TSyslogConfigRec expected;
  std::vector<std::string> lines = SplitLines(text);
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (ApplyCustomConfigLine(*it, expected)) break;
  FUZZ_CHECK(SameProfile(profile, expected));

  // The layout at work on its own text: any index, any set.
  const TWordCutter first = WordCutterOf(profile.Delimiter_1), second = WordCutterOf(profile.Delimiter_2);
  for (const std::string& line : lines) {
    std::string date = EntryDateText(line, profile);
    std::string_view section = TrimmedWordOf(line, first, profile.Index_1);
    std::string_view name = TrimmedWordOf(section, second, profile.Index_2);
    if (profile.Kind == Custom) FUZZ_CHECK(date.size() <= line.size());
    FUZZ_CHECK(name.size() <= section.size());
  }
  sink.Drain();
  return 0;
}
