#include "tally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "alloc_fault.h"
#include "platform/platform.h"
#include "tally_internal.h"
#include "thread_group.h"

namespace {

typedef std::vector<std::pair<std::string, std::int64_t>> TRows;

// The names counted in sequence, and the tally finished.
template <typename TNames>
TFinishedTally Tally(const TNames& names) {
  TTallyPtr tally = NewTally();
  for (const auto& n : names) AddToTally(*tally, n);
  return FinishTally(std::move(tally), false);
}
TFinishedTally Tally(std::initializer_list<const char*> names) { return Tally(std::vector<const char*>(names)); }

// As the scan hands a block to the tally: the entries spelled as names met
// lately counted at once where the table looks at them, the others left in
// rest for the batch.
void CountRecentAsTheScanDoes(TTallyTable& t, const std::string_view* names, const std::int64_t* at, std::size_t n,
                              std::vector<std::string_view>& rest, std::vector<std::int64_t>& restAt) {
  rest.clear();
  restAt.clear();
  const bool look = RecentNamesOn(t);
  for (std::size_t i = 0; i < n; ++i) {
    if (look && CountedAsRecent(t, names[i], at[i])) {
      ++t.RecentFound;
      continue;
    }
    rest.push_back(names[i]);
    restAt.push_back(at[i]);
  }
}

// A finished tally as the report reads it.
TRows Rows(const TFinishedTally& t) {
  TRows rows;
  for (std::size_t i = 0; i < t.Size(); ++i) rows.emplace_back(std::string(t.Name(i)), t.Count(i));
  return rows;
}

// The plain rule: names are equal when their bytes fold alike under the code
// page's case mapping; first-seen order, first spelling kept.
TRows ReferenceTally(const std::vector<std::string>& names) {
  unsigned char fold[256];
  PlatCaseFoldTable(fold);
  std::map<std::string, std::size_t> row;
  TRows rows;
  for (const std::string& n : names) {
    std::string key = n;
    for (char& c : key) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    auto [it, fresh] = row.emplace(key, rows.size());
    if (fresh) rows.emplace_back(n, 0);
    ++rows[it->second].second;
  }
  return rows;
}

// The name order: ASCII letters lowered, unsigned bytes, a prefix first.
bool NameBefore(std::string_view a, std::string_view b) {
  auto lowered = [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : static_cast<unsigned char>(c); };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return lowered(x) < lowered(y); });
}

}  // namespace

TEST(Tally, CaseVariantsAreOneNameSpelledAsFirstMet) {
  EXPECT_EQ(Rows(Tally({"CRON", "cron", "Cron", "sshd", "SSHD"})), (TRows{{"CRON", 3}, {"sshd", 2}}));
}

TEST(Tally, Windows1252AccentedLettersFoldToo) {
  // 0xD7 (multiplication sign) and 0xF7 (division sign) are not a case pair.
  EXPECT_EQ(Rows(Tally({"\xC9T\xC9", "\xE9t\xE9", "\xD7", "\xF7"})), (TRows{{"\xC9T\xC9", 2}, {"\xD7", 1}, {"\xF7", 1}}));
}

TEST(Tally, ManyDistinctNamesAreAllKept) {
  std::vector<std::string> names;
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 5000; ++i) names.push_back((round == 1 ? "JOB" : "job") + std::to_string(i));
  const TFinishedTally t = Tally(names);
  ASSERT_EQ(t.Size(), 5000u);
  for (std::size_t i = 0; i < t.Size(); ++i) {
    EXPECT_EQ(t.Name(i), "job" + std::to_string(i));
    EXPECT_EQ(t.Count(i), 3);
  }
}

TEST(Tally, SortChoices) {
  struct {
    bool alpha, number;
    TRows want;
  } cases[] = {
      {false, false, {{"cherry", 2}, {"Banana", 1}, {"apple", 2}, {"apple2", 1}, {"_x", 1}}},
      {true, false, {{"_x", 1}, {"apple", 2}, {"apple2", 1}, {"Banana", 1}, {"cherry", 2}}},
      // Equal counts stay in name order.
      {false, true, {{"_x", 1}, {"apple2", 1}, {"Banana", 1}, {"apple", 2}, {"cherry", 2}}},
      // Both: alphabetical.
      {true, true, {{"_x", 1}, {"apple", 2}, {"apple2", 1}, {"Banana", 1}, {"cherry", 2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.alpha) + std::to_string(c.number));
    TFinishedTally t = Tally({"cherry", "Banana", "apple", "cherry", "APPLE", "apple2", "_x"});
    SortTallyFor(t, c.alpha, c.number);
    EXPECT_EQ(Rows(t), c.want);
  }
}

TEST(Tally, NameSortComparesUnsignedBytesAfterAsciiLowering) {
  // Lowered letters (0x61..0x7A) sort after '_' (0x5F); bytes above 0x7F last.
  TFinishedTally t = Tally({"\xE9t\xE9", "Zeta", "_under", "zet"});
  SortTally(t, true);
  EXPECT_EQ(Rows(t), (TRows{{"_under", 1}, {"zet", 1}, {"Zeta", 1}, {"\xE9t\xE9", 1}}));
}

TEST(Tally, CountSortIsStableForLargeTables) {
  std::vector<std::string> names;
  for (int i = 0; i < 20000; ++i)
    for (int k = 0; k <= i % 3; ++k) names.push_back("n" + std::to_string(i));
  TFinishedTally t = Tally(names);
  SortTally(t, false);
  for (std::size_t i = 1; i < t.Size(); ++i) {
    ASSERT_LE(t.Count(i - 1), t.Count(i));
    if (t.Count(i - 1) == t.Count(i)) {
      ASSERT_LT(std::stoi(std::string(t.Name(i - 1).substr(1))), std::stoi(std::string(t.Name(i).substr(1))));
    }
  }
}

// Single adds and batches must both count as the plain rule does, across
// table growth (past the size where lookups are fetched ahead, and where
// records, slots and name blocks go on large pages), letter case,
// bytes above 0x7F, names longer than one eight-byte word and a few longer
// than a block of name bytes, and the empty name.
TEST(Tally, CountsLikeTheReferenceModel) {
  std::vector<std::string> names;
  std::mt19937 next(99);
  const char* stems[] = {"job", "Backup_Daily_Long_Name", "\xC9T\xC9", "x", "ReportMailer.ps1"};
  for (int i = 0; i < 120000; ++i) {
    std::string n = stems[next() % 5] + std::to_string(next() % 10000);
    if (i % 500 == 0) n = "long" + std::to_string(next() % 4) + std::string(3000 + next() % 3 * 8000, 'q');
    if (i % 100 == 50) n = "mid" + std::to_string(i) + std::string(2500 + next() % 1500, 'm');
    if (i % 1000 == 7) n.clear();
    for (char& c : n)
      if (next() % 4 == 0) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c == '\xE9' ? '\xC9' : c);
    names.push_back(n);
  }
  const TRows want = ReferenceTally(names);
  EXPECT_EQ(Rows(Tally(names)), want);

  TTallyPtr batched = NewTally();
  std::vector<std::string_view> views(names.begin(), names.end());
  std::vector<std::int64_t> offsets(names.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) offsets[i] = static_cast<std::int64_t>(i) * 10;
  std::vector<std::string_view> rest;
  std::vector<std::int64_t> restAt;
  for (std::size_t at = 0; at < views.size();) {
    std::size_t n = std::min<std::size_t>(1 + next() % 700, views.size() - at);
    CountRecentAsTheScanDoes(CountingTable(*batched), views.data() + at, offsets.data() + at, n, rest, restAt);
    AddNamesToTally(*batched, rest.data(), restAt.data(), rest.size());
    at += n;
  }
  EXPECT_EQ(Rows(FinishTally(std::move(batched), false)), want);
  EXPECT_GT(want.size(), 40000u);

  // The -N report order: by name, then by count, both stable.
  TRows sortedWant = want;
  std::stable_sort(sortedWant.begin(), sortedWant.end(),
                   [](const auto& a, const auto& b) { return NameBefore(a.first, b.first); });
  std::stable_sort(sortedWant.begin(), sortedWant.end(),
                   [](const auto& a, const auto& b) { return a.second < b.second; });

  // As the parallel scan does it: stretches of the names in workers' shares,
  // merged into the shards now and then and in any order, then put back in
  // the order of the offsets. A share that is not merged between its
  // stretches then meets entries before those it holds.
  for (int round = 0; round < 2; ++round) {
    TTallyPtr tally = NewTally();
    std::vector<std::size_t> cuts{0};
    while (cuts.back() < views.size()) cuts.push_back(std::min(views.size(), cuts.back() + 1 + next() % 9000));
    std::vector<std::size_t> stretches(cuts.size() - 1);
    for (std::size_t i = 0; i < stretches.size(); ++i) stretches[i] = i;
    std::shuffle(stretches.begin(), stretches.end(), std::mt19937(next()));
    TWorkerTallyPtr shares[2] = {NewWorkerTally(*tally), NewWorkerTally(*tally)};
    for (std::size_t k : stretches) {
      TWorkerTally& share = *shares[k % 2];
      CountRecentAsTheScanDoes(CountingTable(share), views.data() + cuts[k], offsets.data() + cuts[k],
                               cuts[k + 1] - cuts[k], rest, restAt);
      AddNamesForWorker(share, rest.data(), restAt.data(), rest.size());
      if (next() % 2) FlushWorkerTally(share);
    }
    for (TWorkerTallyPtr& share : shares) FlushWorkerTally(*share);
    TFinishedTally finished = FinishTally(std::move(tally), true);
    EXPECT_EQ(Rows(finished), want) << "round " << round;
    SortTallyFor(finished, false, true);
    EXPECT_EQ(Rows(finished), sortedWant) << "round " << round;
  }
}

// A name's reference holds its place and its size. Names placed past where
// 32 bits of place ran out (262,144 long names, one block each, did it on
// one processor), and names around the longest size a reference holds
// itself, are told apart by their sizes and kept whole; the same names in
// other letter case count with them.
TEST(Tally, NamesAtTheEdgesOfTheirReferences) {
  TTallyPtr tally = NewTally();
  tally->Shards[0].Names.Blocks.resize(std::size_t{1} << 18);
  TRows want;
  for (std::uint64_t size : {std::uint64_t{4096}, std::uint64_t{4097}, kSizeInStore - 1, kSizeInStore, kSizeInStore + 1}) {
    const std::string name(static_cast<std::size_t>(size), 'a');
    AddToTally(*tally, name);
    AddToTally(*tally, std::string(name.size(), 'A'));
    want.emplace_back(name, 2);
  }
  EXPECT_EQ(Rows(FinishTally(std::move(tally), false)), want);
}

// Memory that runs out at any allocation while counting: the failure comes
// out as bad_alloc, nothing is lost or left half-made (no leak, and the
// next count is right), long names and short.
TEST(Tally, MemoryRunningOutWhileCounting) {
  std::vector<std::string> names;
  // Past one block of records, and long names that get blocks of their own.
  for (int i = 0; i < 1300; ++i) names.push_back((i % 50 ? "job" : std::string(5000, 'L')) + std::to_string(i % 1100));
  const TRows want = ReferenceTally(names);
  for (std::int64_t at = 1;; ++at) {
    SCOPED_TRACE(at);
    bool struck = false;
    try {
      TAllocFault fault(at, TAllocFault::ThisThread);
      Tally(names);
    } catch (const std::bad_alloc&) {
      struck = true;
    }
    if (!struck) break;
    ASSERT_EQ(Rows(Tally(names)), want);
  }
}

// The case table is there before any count: a tally counted first thing in
// a fresh process tells names of one length apart.
TEST(Tally, CountsRightInAFreshProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(Rows(Tally({"cron", "sshd", "CRON"})) == TRows{{"cron", 2}, {"sshd", 1}} ? 0 : 1),
              testing::ExitedWithCode(0), "");
}

// Every byte of a name counts, whatever its length and position, and letter
// case at any position does not.
TEST(Tally, EveryBytePositionMatters) {
  for (std::size_t len = 1; len <= 40; ++len) {
    const std::string base(len, 'a');
    std::vector<std::string> names{base};
    for (std::size_t pos = 0; pos < len; ++pos) {
      std::string other = base, upper = base;
      other[pos] = 'b';
      upper[pos] = 'A';
      names.push_back(other);
      names.push_back(upper);
    }
    SCOPED_TRACE(len);
    const TFinishedTally t = Tally(names);
    ASSERT_EQ(t.Size(), len + 1);
    EXPECT_EQ(t.Count(0), static_cast<std::int64_t>(len + 1));
  }
}

// Sorting by name follows the byte rule (ASCII letters lowered, unsigned
// bytes, a prefix first) also past the first 24 bytes, with NUL and high
// bytes, for names that share long beginnings.
TEST(Tally, NameSortMatchesTheByteRule) {
  std::mt19937 next(3);
  const char bytes[] = {'a', 'B', 'b', '_', '\0', '\x80', '\xFF', 'Z', '1'};
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    std::string name = next() % 2 ? "SharedPrefixLongerThanTwentyFourBytes" : "x";
    name.resize(next() % name.size() + 1);
    for (std::uint32_t k = next() % 6; k > 0; --k) name += bytes[next() % sizeof bytes];
    names.push_back(name);
  }
  TFinishedTally t = Tally(names);
  SortTally(t, true);
  ASSERT_GT(t.Size(), 1000u);
  for (std::size_t i = 1; i < t.Size(); ++i) ASSERT_TRUE(NameBefore(t.Name(i - 1), t.Name(i))) << i;
}
