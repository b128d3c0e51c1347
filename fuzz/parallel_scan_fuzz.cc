// The parallel scan against the sequential one on arbitrary input: any
// layout, switches, chunk size, number of workers and read buffer; the
// progress text, the report and the result must agree byte for byte.
// Input: workers, chunk size, buffer size, layout, switch bits; then the -S
// text and a layout line (used for Custom), each ending at a newline; then
// the file.
#include <cstddef>
#include <cstdint>

#include "custom_config.h"
#include "fuzz_support.h"
#include "scan_differential.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  TFuzzSink sink;
  const int workers = 2 + data[0] % 7;
  const std::int64_t chunk = 1 + data[1];
  const std::size_t buffer = 8 + data[2];
  const auto kind = static_cast<TSyslogChoices>(data[3] % kSyslogChoiceCount);
  const std::uint8_t bits = data[4];
  std::string_view rest(reinterpret_cast<const char*>(data + 5), size - 5);
  const std::string_view search = TakeInputLine(rest);
  const std::string_view layoutLine = TakeInputLine(rest);

  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  if (kind == Custom) ApplyCustomConfigLine(layoutLine, table[Custom]);
  CurrentSyslogConfig = table[kind];
  const TFuzzFile file(rest, "parallel.txt");
  RunOptions = TRunOptions();
  RunOptions.SyslogFileName = file.Path;
  RunOptions.Marker = CurrentSyslogConfig.Marker;
  RunOptions.SortByName = bits & 1;
  RunOptions.SortByCount = bits & 2;
  RunOptions.UseCommas = !(bits & 4);
  if (bits & 8) RunOptions.SearchText.assign(search);
  RunOptions.ExactMatch = bits & 16;

  const TScanRun sequential = RunScanWith(1, 0, buffer);
  const TScanRun parallel = RunScanWith(workers, chunk, buffer);
  FUZZ_CHECK(sequential.Ok);
  FUZZ_CHECK(parallel == sequential);
  sink.Drain();
  return 0;
}
