// The scan, tally and report on arbitrary syslog text, with the layout, the
// marker and the switches taken from the input as well.
// Input: switch bits, -M value, layout kind, read size limit (0: none); then
// three lines (a layout line used when the kind is Custom, the -S text, the
// -C marker); then the file. Short reads put block ends anywhere in a line.
#include <cstddef>
#include <cstdint>

#include "custom_config.h"
#include "fuzz_support.h"
#include "line_reader.h"
#include "line_split.h"
#include "report.h"
#include "run_state.h"
#include "scan_output.h"
#include "syslog_profiles.h"
#include "tally.h"

namespace {

std::size_t gReadLimit = 0;

bool ShortRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
               std::string* err) {
  return PlatRead(handle, offset, buffer, capacity < gReadLimit ? capacity : gReadLimit, got, err);
}

// The scan's selection rules stated line by line: the names it must count,
// and the lines whose dates the report shows.
struct TExpected {
  std::vector<std::string> Names;
  std::string FirstMarkerLine, LastMarkerLine;
  bool SawMarker = false;
};

TExpected Expected(std::string_view content, const TRunOptions& o, const TSyslogConfigRec& p) {
  TExpected e;
  const bool usable = !o.Marker.empty() && o.Marker.find_first_of("\r\n") == std::string::npos;
  const std::string search = UpperAscii(o.SearchText);
  // The cuts of the model walk byte by byte, whatever the scan uses.
  TWordCutter first = WordCutterOf(p.Delimiter_1), second = WordCutterOf(p.Delimiter_2);
  first.Width = second.Width = kScanPlain;
  for (const std::string& line : SplitLines(content)) {
    if (static_cast<std::int64_t>(e.Names.size()) >= o.MaxEntries) break;
    if (!usable || line.find(o.Marker) == std::string::npos) continue;
    if (!e.SawMarker) e.FirstMarkerLine = line;
    e.SawMarker = true;
    e.LastMarkerLine = line;
    std::string_view section = line, name;
    if (p.Index_2 == -1) {
      name = TrimmedWordOf(line, first, p.Index_1);
    } else {
      section = TrimmedWordOf(line, first, p.Index_1);
      name = TrimmedWordOf(section, second, p.Index_2);
    }
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    if (name.empty()) continue;
    if (!o.SearchText.empty()) {
      std::string upper = UpperAscii(name);
      if (o.ExactMatch ? upper != search : upper.find(search) == std::string::npos) continue;
    }
    e.Names.emplace_back(name);
  }
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  TFuzzSink sink;
  const std::uint8_t bits = data[0];
  TRunOptions& o = RunOptions;
  o = TRunOptions();
  o.ListOnly = bits & 1;
  o.Debug = bits & 2;
  o.ExactMatch = bits & 8;
  o.SortByName = bits & 16;
  o.SortByCount = bits & 32;
  o.UseCommas = !(bits & 64);
  o.MaxGiven = bits & 128;
  if (o.MaxGiven) o.MaxEntries = static_cast<std::int8_t>(data[1]);

  gReadLimit = data[3];
  std::string_view rest(reinterpret_cast<const char*>(data + 4), size - 4);
  std::string_view layoutLine = TakeInputLine(rest);
  const std::string_view search = TakeInputLine(rest);
  if (bits & 4) o.SearchText.assign(search);
  std::string_view marker = TakeInputLine(rest);

  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  const auto kind = static_cast<TSyslogChoices>(data[2] % kSyslogChoiceCount);
  if (kind == Custom) ApplyCustomConfigLine(layoutLine, table[Custom]);
  CurrentSyslogConfig = table[kind];
  o.Marker = marker.empty() ? CurrentSyslogConfig.Marker : std::string(marker);
  const TFuzzFile file(rest, "syslog.txt");
  o.SyslogFileName = file.Path;

  std::string error;
  // An odd limit also shrinks the buffer, so that lines become long ones.
  const TReadSeam seam(gReadLimit > 0 ? ShortRead : nullptr, gReadLimit % 2 == 1 ? 8 + gReadLimit % 56 : 0);
  const bool scanned = ScanSyslogFile(&error);
  FUZZ_CHECK(scanned);
  FUZZ_CHECK(ScanResult.FileSize == static_cast<std::int64_t>(rest.size()));

  const TExpected expected = Expected(rest, o, CurrentSyslogConfig);
  const std::vector<std::string>& names = expected.Names;
  if (expected.SawMarker)
    FUZZ_CHECK(ScanResult.FirstEntryDate == EntryDateText(expected.FirstMarkerLine, CurrentSyslogConfig));
  FUZZ_CHECK(ScanResult.LastEntryDate == EntryDateText(expected.LastMarkerLine, CurrentSyslogConfig));
  FUZZ_CHECK(ScanResult.EntryCount == static_cast<std::int64_t>(names.size()));
  if (o.ListOnly) {
    std::string list;
    for (const std::string& n : names) list += n + "\r\n";
    FlushAll();
    if (!o.Debug) FUZZ_CHECK(sink.Text == list);
  } else {
    TFinishedTally& tally = ScanResult.Tally;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < tally.Size(); ++i) total += tally.Count(i);
    FUZZ_CHECK(total == ScanResult.EntryCount);
    for (std::size_t i = 0; i < tally.Size(); ++i)
      for (std::size_t k = i + 1; k < tally.Size(); ++k) FUZZ_CHECK(!EqualsIgnoreCase(tally.Name(i), tally.Name(k)));
    SortTallyFor(tally, o.SortByName, o.SortByCount);
    PrintReport();
    PrintTimingBlock(TDateTime{0}, TDateTime{static_cast<std::int64_t>(size) * 997});
  }
  FUZZ_CHECK(!Out().Failed);
  sink.Drain();
  return 0;
}
