#include "reader_help.h"

#include <gtest/gtest.h>

#include "output_capture.h"
#include "reader_help_text.h"

namespace {

std::vector<std::string> HelpLines(bool extended) {
  TOutputCapture capture;
  ShowReaderHelp("VANDELO", extended);
  std::string text = capture.Get();
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

}  // namespace

TEST(ReaderHelp, FixedText) {
  for (bool extended : {false, true}) {
    TOutputCapture capture;
    ShowReaderHelp("VANDELO", extended);
    EXPECT_EQ(capture.Get(), ReaderHelpText(extended)) << extended;
  }
}

TEST(ReaderHelp, ShortAndExtendedSizes) {
  std::vector<std::string> shortForm = HelpLines(false), longForm = HelpLines(true);
  EXPECT_EQ(shortForm.size(), 35u);
  ASSERT_EQ(longForm.size(), 74u);
  EXPECT_TRUE(std::equal(shortForm.begin(), shortForm.end(), longForm.begin()));
  EXPECT_EQ(shortForm[5],
            " VANDELO <name_of_config_file> [-b] [-d] [-n|-m|-f [scriptname] [-g]] [-s <variable> [-p]] ");
  EXPECT_EQ(shortForm[32], " VANDELO E:\\MyApp\\MainApp.TXT -g -s \"BIGVAR\"");
  EXPECT_EQ(
      longForm[54],
      " * Main Orvella config file (CustomVariables.TXT) contains three columns: ScriptName, VariableName, Value.");
  EXPECT_EQ(longForm[73], "");
}

TEST(ReaderHelp, HeadingRowsMatchHeadingLengths) {
  std::vector<std::string> lines = HelpLines(true);
  int headings = 0;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    if (lines[i].empty() || lines[i - 1].find_first_not_of('-') != std::string::npos || lines[i - 1].empty()) continue;
    if (lines[i][0] == '-' || lines[i][0] == ' ') continue;
    ++headings;
    EXPECT_EQ(lines[i - 1], std::string(lines[i].size(), '-')) << lines[i];
    EXPECT_EQ(lines[i + 1], lines[i - 1]) << lines[i];
  }
  EXPECT_EQ(headings, 6);
}
