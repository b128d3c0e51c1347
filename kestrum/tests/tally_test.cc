#include "tally.h"

#include <gtest/gtest.h>

namespace {

void Tally(std::initializer_list<const char*> names) {
  ResetTally();
  for (const char* n : names) AddToTally(n);
}

std::vector<std::pair<std::string, std::int64_t>> Rows() {
  std::vector<std::pair<std::string, std::int64_t>> rows;
  for (std::size_t i = 0; i < TallyNames.size(); ++i) rows.emplace_back(TallyNames[i], TallyCounts[i]);
  return rows;
}

typedef std::vector<std::pair<std::string, std::int64_t>> TRows;

}  // namespace

TEST(Tally, CaseVariantsAreOneNameSpelledAsFirstMet) {
  Tally({"CRON", "cron", "Cron", "sshd", "SSHD"});
  EXPECT_EQ(Rows(), (TRows{{"CRON", 3}, {"sshd", 2}}));
}

TEST(Tally, Windows1252AccentedLettersFoldToo) {
  Tally({"\xC9T\xC9", "\xE9t\xE9", "\xD7", "\xF7"});
  // 0xD7 (multiplication sign) and 0xF7 (division sign) are not a case pair.
  EXPECT_EQ(Rows(), (TRows{{"\xC9T\xC9", 2}, {"\xD7", 1}, {"\xF7", 1}}));
}

TEST(Tally, ManyDistinctNamesAreAllKept) {
  ResetTally();
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 5000; ++i) AddToTally((round == 1 ? "JOB" : "job") + std::to_string(i));
  ASSERT_EQ(TallyNames.size(), 5000u);
  for (std::size_t i = 0; i < TallyNames.size(); ++i) {
    EXPECT_EQ(TallyNames[i], "job" + std::to_string(i));
    EXPECT_EQ(TallyCounts[i], 3);
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
    Tally({"cherry", "Banana", "apple", "cherry", "APPLE", "apple2", "_x"});
    SortTallyFor(c.alpha, c.number);
    EXPECT_EQ(Rows(), c.want);
  }
}

TEST(Tally, NameSortComparesUnsignedBytesAfterAsciiLowering) {
  // Lowered letters (0x61..0x7A) sort after '_' (0x5F); bytes above 0x7F last.
  Tally({"\xE9t\xE9", "Zeta", "_under", "zet"});
  SortTally(true);
  EXPECT_EQ(Rows(), (TRows{{"_under", 1}, {"zet", 1}, {"Zeta", 1}, {"\xE9t\xE9", 1}}));
}

TEST(Tally, CountSortIsStableForLargeTables) {
  ResetTally();
  for (int i = 0; i < 20000; ++i)
    for (int k = 0; k <= i % 3; ++k) AddToTally("n" + std::to_string(i));
  SortTally(false);
  for (std::size_t i = 1; i < TallyNames.size(); ++i) {
    ASSERT_LE(TallyCounts[i - 1], TallyCounts[i]);
    if (TallyCounts[i - 1] == TallyCounts[i]) {
      ASSERT_LT(std::stoi(TallyNames[i - 1].substr(1)), std::stoi(TallyNames[i].substr(1)));
    }
  }
}
