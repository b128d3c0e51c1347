// Micro-benchmarks of the pieces every line of a syslog file goes through:
// the marker search, line splitting, word cutting and the tally lookup, and
// of all of them together on one read buffer, without the read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "marker_search.h"
#include "run_state.h"
#include "scan_pass.h"
#include "syslog_profiles.h"
#include "tally.h"
#include "text.h"

namespace {

std::string NameFor(std::uint32_t i) { return "Job" + std::to_string(i * 7919u % 1000003u) + "_Task"; }

// A read-sized block of NxLog lines, one in ten without the marker.
std::string NxLogBlock(std::size_t size) {
  std::mt19937 random(7);
  std::string block, line;
  for (;;) {
    std::uint32_t r = random();
    line = (r % 10 == 0)
               ? "<134>1 2026-12-07T08:15:25 08:15:25 SRV-APP11 ORVELLA - - [INFO] Heartbeat: ok"
               : "<158>1 2026-12-07T08:15:25 08:15:25 SRV-APP11 ORVELLA - - [MAJOR] Script: " + NameFor(r % 300);
    line += " Dec 07 2026 pid=4312 user=svc_batch\r\n";
    if (block.size() + line.size() > size) break;
    block += line;
  }
  return block;
}

const std::string& Block() {
  static const std::string block = NxLogBlock(kReadBufferSize);
  return block;
}

TSyslogConfigRec Profile(TSyslogChoices kind) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  return table[kind];
}

void FindMarkerInBlock(benchmark::State& state) {
  const std::string& block = Block();
  std::size_t hits = 0;
  TMarkerSearch search;
  PrepareMarkerSearch(search, "<158>");
  TMarkerFinder finder{&search};
  FindMarker(finder, block, 0);  // tunes it once, as the scan does
  for (auto _ : state) {
    for (std::size_t at = FindMarker(finder, block, 0); at != std::string_view::npos;
         at = FindMarker(finder, block, at + 1))
      ++hits;
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(FindMarkerInBlock);

void SplitBlockIntoLines(benchmark::State& state) {
  const std::string& block = Block();
  for (auto _ : state) {
    std::string_view rest = block, line;
    std::size_t total = 0;
    while (!rest.empty()) {
      rest = TakeLine(rest, &line);
      total += line.size();
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(SplitBlockIntoLines);

// Word cutting as the scan does it, one word per entry line: at the widest
// scan the processor runs (argument 1) and byte by byte (argument 0).
TWordCutter CutterAt(const TCharSet& set, bool widest) {
  TWordCutter cutter = WordCutterOf(set);
  if (!widest) cutter.Width = kScanPlain;
  return cutter;
}

void CutNameNxLog(benchmark::State& state) {
  const TSyslogConfigRec p = Profile(NxLog);
  const TWordCutter cutter = CutterAt(p.Delimiter_1, state.range(0) != 0);
  const std::string line =
      "<158>1 2026-12-07T08:15:25 08:15:25 SRV-APP11 ORVELLA - - [MAJOR] Script: BackupJob Dec 07 2026";
  for (auto _ : state) benchmark::DoNotOptimize(TrimmedWordOf(line, cutter, p.Index_1));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CutNameNxLog)->Arg(0)->Arg(1);

void CutNameTftpd32(benchmark::State& state) {
  const TSyslogConfigRec p = Profile(TFTPD32);
  const TWordCutter first = CutterAt(p.Delimiter_1, state.range(0) != 0);
  const TWordCutter second = CutterAt(p.Delimiter_2, state.range(0) != 0);
  const std::string line =
      "Mon Dec 07 08:15:25 2026;10.20.1.17;<158>1 2026-12-07T08:15:25 SRV-APP11 ORVELLA Script: BackupJob "
      "started pid=4312";
  for (auto _ : state) {
    std::string_view section = TrimmedWordOf(line, first, p.Index_1);
    benchmark::DoNotOptimize(TrimmedWordOf(section, second, p.Index_2));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CutNameTftpd32)->Arg(0)->Arg(1);

// One read buffer of entries through the sequential scan's steps: the
// scan of its lines, then the tally of the names it cut. This is a worker's
// cost per buffer apart from the read, steadier to time than a whole run.
void ScanAndTallyBlock(benchmark::State& state) {
  const std::string& text = Block();
  TRunOptions options;
  options.Marker = "<158>";
  const TSyslogConfigRec profile = Profile(NxLog);
  const TScanSetup setup(options, profile, TParallelPlan());
  const TScanHooks hooks;
  TTallyPtr tally = NewTally();
  TScanPass pass(setup, hooks, CountingTable(*tally));
  TBlock block;
  block.Text = text;
  std::string err;
  for (auto _ : state) {
    if (ScanBlock(pass, block, &err) != TPassStep::Continue) state.SkipWithError("the scan stopped");
    AddNamesToTally(*tally, pass.Names.data(), pass.At.data(), pass.Names.size());
    block.At += static_cast<std::int64_t>(text.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ScanAndTallyBlock);

// Lookups of names already in the table (the common case), spelled in mixed
// letter case; the argument is the number of distinct names. The names come
// in an order that touches the whole table, each entry after the first
// entries of all names, as in a file.
void TallyLookup(benchmark::State& state) {
  const auto distinct = static_cast<std::uint32_t>(state.range(0));
  TTallyPtr tally = NewTally();
  for (std::uint32_t i = 0; i < distinct; ++i) AddToTally(*tally, NameFor(i));
  std::mt19937 random(11);
  constexpr std::size_t kLookups = std::size_t{1} << 21;
  std::string bytes;
  std::vector<std::size_t> ends;
  for (std::size_t i = 0; i < kLookups; ++i) {
    std::string name = NameFor(random() % distinct);
    if (i % 5 == 0) name = UpperAscii(name);
    bytes += name;
    ends.push_back(bytes.size());
  }
  std::vector<std::string_view> views;
  for (std::size_t i = 0; i < kLookups; ++i) {
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    views.emplace_back(bytes.data() + start, ends[i] - start);
  }
  std::vector<std::int64_t> at(kLookups);
  for (std::size_t i = 0; i < at.size(); ++i) at[i] = distinct + static_cast<std::int64_t>(i);
  // Batches of 512 names, about a read buffer of entries, as the scan does.
  constexpr std::size_t kBatch = 512;
  std::size_t k = 0;
  for (auto _ : state) {
    AddNamesToTally(*tally, views.data() + k, at.data() + k, kBatch);
    k = (k + kBatch) & (kLookups - 1);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBatch));
}
BENCHMARK(TallyLookup)->Arg(300)->Arg(1000000);

// Sorting by name and then by count, as -N does: must stay n log n.
void TallySortByNameThenCount(benchmark::State& state) {
  const auto distinct = static_cast<std::uint32_t>(state.range(0));
  std::mt19937 random(13);
  for (auto _ : state) {
    state.PauseTiming();
    TTallyPtr tally = NewTally();
    for (std::uint32_t i = 0; i < distinct; ++i) {
      std::string name = NameFor(random() % (distinct * 4));
      for (std::uint32_t n = random() % 3; n > 0; --n) AddToTally(*tally, name);
      AddToTally(*tally, name);
    }
    TFinishedTally finished = FinishTally(std::move(tally), false);
    state.ResumeTiming();
    SortTallyFor(finished, false, true);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(TallySortByNameThenCount)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
