#include "custom_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "startup.h"
#include "test_files.h"

namespace {

std::string Members(const TCharSet& set) {
  std::string s;
  for (int c = 0; c < 256; ++c)
    if (set.Has[c]) s += static_cast<char>(c);
  return s;
}

struct TWant {
  TSyslogChoices kind;
  const char* marker;
  const char* dateDelims;
  std::int32_t dateIndex;
  const char* delims1;
  std::int32_t index1;
  const char* delims2;
  std::int32_t index2;
};

void ExpectProfile(const TSyslogConfigRec& p, const TWant& w) {
  EXPECT_EQ(p.Kind, w.kind);
  EXPECT_EQ(p.Marker, w.marker);
  EXPECT_EQ(Members(p.Date_Delimiter), w.dateDelims);
  EXPECT_EQ(p.Date_Index, w.dateIndex);
  EXPECT_EQ(Members(p.Delimiter_1), w.delims1);
  EXPECT_EQ(p.Index_1, w.index1);
  EXPECT_EQ(Members(p.Delimiter_2), w.delims2);
  EXPECT_EQ(p.Index_2, w.index2);
}

TSyslogConfigRec ReadText(const std::string& content) {
  TScratchFile f(content, "custom.txt");
  TSyslogConfigRec p;
  ExitCode = KestrumExit::Ok;
  ReadCustomSyslogConfig(f.Name(), p);
  EXPECT_EQ(ExitCode, KestrumExit::Ok);
  return p;
}

}  // namespace

TEST(CustomConfig, FileContentsTable) {
  struct {
    const char* name;
    std::string content;
    TWant want;
  } cases[] = {
      {"sample", "#Marker|x\r\n<158>|;|1|;|3| :|8\r\n", {Custom, "<158>", ";", 1, ";", 3, " :", 8}},
      {"collapsed field", "<158>||1|;|3| :|8\n", {Custom, "<158>", "1", 1, "3", 1, "8", -1}},
      {"text as index 2", "<5000>|;|1|;|3| :|none\n", {Custom, "<5000>", ";", 1, ";", 3, " :", -1}},
      {"second line wins whole", "a|;|2|;|4| |6\nb|,\n", {Custom, "b", ",", 1, "", 1, "", -1}},
      {"only comments", "#one\n#two\n", {NxLog, "", "", 0, "", 0, "", 0}},
      {"blank last line skipped", "m|;|1|;|3| :|8\r\n \t\r\n\r\n", {Custom, "m", ";", 1, ";", 3, " :", 8}},
      {"blank then hash is a line", "m|;|1|;|3| :|8\n #x|y\n", {Custom, " #x", "y", 1, "", 1, "", -1}},
      {"fields not trimmed", " m |; |+2| ;|-3|x| 4\n", {Custom, " m ", " ;", 2, " ;", -3, "x", 4}},
      {"trailing blank in a number", "m|;|1 |;|3\n", {Custom, "m", ";", 1, ";", 3, "", -1}},
      {"base prefixes", "m|;|$1F|;|0x1F|;|-0x2\n", {Custom, "m", ";", 1, ";", 1, ";", -1}},
      {"32-bit limits",
       "m|;|2147483647|;|-2147483648|;|2147483648\n",
       {Custom, "m", ";", 2147483647, ";", INT32_MIN, ";", -1}},
      {"extra fields ignored", "m|a|1|b|2|c|3|d|4\n", {Custom, "m", "a", 1, "b", 2, "c", 3}},
      {"lone CR line ends", "#h\rm|;|1|;|3| :|8\r", {Custom, "m", ";", 1, ";", 3, " :", 8}},
      {"empty file", "", {NxLog, "", "", 0, "", 0, "", 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectProfile(ReadText(c.content), c.want);
  }
}

TEST(CustomConfig, AllByteDelimiterSetAndHugeMarker) {
  std::string all;
  for (int c = 1; c < 256; ++c)
    if (c != '|' && c != '\r' && c != '\n') all += static_cast<char>(c);
  std::string marker(1 << 20, 'M');
  TSyslogConfigRec p = ReadText(marker + "|" + all + "|1|" + all + "|2\n");
  EXPECT_EQ(p.Marker.size(), marker.size());
  EXPECT_EQ(Members(p.Date_Delimiter).size(), all.size());
  EXPECT_EQ(p.Index_1, 2);
}

TEST(CustomConfig, MissingFileIsNotFound) {
  TOutputCapture capture;
  TSyslogConfigRec p;
  ExitCode = KestrumExit::Ok;
  ReadCustomSyslogConfig("no-such-config.txt", p);
  capture.Get();
  EXPECT_EQ(ExitCode, KestrumExit::FileNotFound);
  EXPECT_EQ(capture.ErrorText, "ERROR: File Not Found...\r\n");
  EXPECT_EQ(p.Marker, "");
}

TEST(CustomConfig, ExportReadsBackAsTheTftpLayout) {
  TOutputCapture capture;
  std::filesystem::path path = std::filesystem::temp_directory_path() / "orvella_export_readback.txt";
  std::filesystem::remove(path);
  ExitCode = KestrumExit::Ok;
  ExportSampleConfig(path.string(), false);
  ExportSampleConfig(path.string(), true);
  EXPECT_EQ(ExitCode, KestrumExit::Ok);
  std::stringstream text;
  {
    // Closed before the file is removed: Windows refuses to delete an open file.
    std::ifstream f(path, std::ios::binary);
    text << f.rdbuf();
  }
  std::string once = std::string(kSampleConfigHeader) + "\r\n" + kSampleConfigLine + "\r\n";
  EXPECT_EQ(text.str(), once + once);
  TSyslogConfigRec p;
  ReadCustomSyslogConfig(path.string(), p);
  ExpectProfile(p, {Custom, "<158>", ";", 1, ";", 3, " :", 8});
  capture.Get();
  std::string confirm = "Sample Custom Configuration saved to: \"" + path.string() + "\"\r\n";
  EXPECT_EQ(capture.Text, confirm + confirm);
  std::filesystem::remove(path);
}
