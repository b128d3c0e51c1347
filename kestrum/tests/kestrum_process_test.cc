// The built program run as a process: stdout, stderr and exit code compared
// byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "test_files.h"
#include "text.h"

namespace {

const std::string kTiming = "\n" + std::string(80, '-') +
                            "\n Start Time ............................. <clock>\n"
                            " End Time ............................... <clock>\n"
                            " Elapsed Time ........................... <elapsed>\n" +
                            std::string(80, '=') + "\n" + std::string(80, '#') + "\n";

std::string Entry(const std::string& name, const std::string& time) {
  return "<158>1 2026-12-07T" + time + " " + time + " SRV-APP01 ORVELLA - - [MAJOR] Script: " + name +
         " Dec 07 2026\r\n";
}

// A file of Size bytes, holes of NUL but for the Pieces at their offsets;
// none when Size is below 0.
struct TFileShape {
  std::int64_t Size;
  std::vector<std::pair<std::int64_t, std::string>> Pieces;
};
TFileShape Holding(const std::string& content) { return {static_cast<std::int64_t>(content.size()), {{0, content}}}; }

// One run of the program on one argument. In Arg and Out, "<path>" stands
// for the file's path and "<name>" for its name alone (the program then runs
// in the file's folder).
struct TGolden {
  const char* Name;
  std::string Arg;
  const char* WorkDir;  // empty: the current folder
  TFileShape File;
  int Code;
  const char* Err;
  const char* Out;     // the whole output, clock and file time masked; null: only the lines of Holds
  TStringArray Holds;  // lines the output holds
};

const std::string kNxLog = Entry("BackupJob", "08:15:02") + "<134>1 heartbeat\r\n" + Entry("cleanup_temp", "08:20:00") +
                           Entry("BACKUPJOB", "08:30:00") + Entry("ReportMailer:", "08:59:58") + "rotated\r\n";
const std::string kReport =
    "Processing NxLog Syslog...  Please Wait...\n\n"
    "Tally of [MAJOR] Scripts Used since Dec 07 at 08:15:02\n" +
    std::string(80, '=') +
    "\n BackupJob .............................. 2\n"
    " cleanup_temp ........................... 1\n"
    " ReportMailer ........................... 1\n" +
    std::string(80, '-') +
    "\n TOTAL UNIQUE SCRIPTS EXECUTED .......... 3\n"
    " TOTAL SYSLOG ENTRIES FOUND/READ ........ 4\n" +
    std::string(80, '=') + "\n\n" + std::string(80, '~') +
    "\n CURRENT SYSLOG TYPE .................... NxLog\n"
    " CURRENT SYSLOG FILENAME ................ <name>\n"
    " CURRENT SYSLOG FILESIZE (in bytes) ..... " +
    std::to_string(kNxLog.size()) + "\n CURRENT SYSLOG TIMESTAMP ............... <mtime>\n" + std::string(80, '-') +
    "\n TIMESTAMP OF FIRST SYSLOG ENTRY ........ Dec 07 at 08:15:02\n"
    " TIMESTAMP OF LAST SYSLOG ENTRY READ .... Dec 07 at 08:59:58\n" +
    std::string(80, '~') + "\n" + kTiming;
const std::string kNoEntries = std::string(80, '-') +
                               "\n TOTAL UNIQUE SCRIPTS EXECUTED .......... 0\n"
                               " TOTAL SYSLOG ENTRIES FOUND/READ ........ 0\n" +
                               std::string(80, '=') + "\n\n" + std::string(80, '~') +
                               "\n ERROR: File Did Not Contain Valid Syslog Entries\n" + std::string(80, '~') + "\n" +
                               kTiming;
const std::string kTempDir = std::filesystem::temp_directory_path().string();
const char kNotFound[] = "ERROR: File Not Found...\r\n";
const TFileShape kNoFile = {-1, {}};
const TStringArray kNoLines;
const TStringArray kSampleLines = {" TOTAL SYSLOG ENTRIES FOUND/READ ........ 53\r\n",
                                   " CURRENT SYSLOG FILENAME ................ nxlog-sample.log\r\n"};
const std::string kSolo = "<158>1 a 08:00:00 b c d e f g Solo Dec 07";
const TStringArray kSoloLines = {" Solo ................................... 1\r\n",
                                 "LAST SYSLOG ENTRY READ .... Dec 07 at 08:00:00\r\n"};
// Past 4 GiB: offsets, the grouped size and the dates of the first and the
// last entry all hold. The NUL stretches are holes (also under wine), so the
// file costs no disk; they read as two lines of gigabytes without a marker.
const std::int64_t kFiveGiB = (std::int64_t{5} << 30) + 123;
const std::string kLast = Entry("Last", "23:59:59");
const TFileShape kFiveGiBFile = {kFiveGiB,
                                 {{0, Entry("First", "00:00:01")},
                                  {kFiveGiB / 2, "\r\n" + Entry("Middle", "12:00:00")},
                                  {kFiveGiB - static_cast<std::int64_t>(kLast.size()) - 2, "\r\n" + kLast}}};
const TStringArray kFiveGiBLines = {" First .................................. 1\r\n",
                                    " Middle ................................. 1\r\n",
                                    " Last ................................... 1\r\n",
                                    " TOTAL SYSLOG ENTRIES FOUND/READ ........ 3\r\n",
                                    " CURRENT SYSLOG FILESIZE (in bytes) ..... 5,368,709,243\r\n",
                                    " TIMESTAMP OF FIRST SYSLOG ENTRY ........ Dec 07 at 00:00:01\r\n",
                                    " TIMESTAMP OF LAST SYSLOG ENTRY READ .... Dec 07 at 23:59:59\r\n"};

using namespace KestrumExit;
const TGolden kGoldens[] = {
    {"NxLogReport", "<name>", "", Holding(kNxLog), Ok, "", kReport.c_str(), kNoLines},
    {"EmptyFileReportsNoEntries", "<path>", "", Holding(""), Ok, "", kNoEntries.c_str(), kNoLines},
    {"MissingFileIsNotFound", "no-such-file.log", "", kNoFile, FileNotFound, kNotFound, "", kNoLines},
    {"DirectoryIsNotFound", kTempDir, "", kNoFile, FileNotFound, kNotFound, "", kNoLines},
    {"EmptyNameIsNotFound", "", "", kNoFile, FileNotFound, kNotFound, "", kNoLines},
    {"ShippedSampleTallies", "nxlog-sample.log", SAMPLES_DIR, kNoFile, Ok, "", nullptr, kSampleLines},
    {"NoLineEndsAnywhere", "<path>", "", Holding(kSolo), Ok, "", nullptr, kSoloLines},
    {"FileLargerThanFourGigabytes", "<path>", "", kFiveGiBFile, Ok, "", nullptr, kFiveGiBLines},
};

struct KestrumProcess : ::testing::TestWithParam<TGolden> {};

}  // namespace

TEST_P(KestrumProcess, Golden) {
  const TGolden& g = GetParam();
  std::unique_ptr<TScratchFile> file;
  if (g.File.Size >= 0) file = std::make_unique<TScratchFile>(g.File.Size, g.File.Pieces, "golden.log");
  TProcessOptions where;
  where.WorkDir = g.WorkDir;
  if (file && g.Arg == "<name>") where.WorkDir = file->Path.parent_path().string();
  const auto fill = [&](const std::string& text) {
    if (!file) return text;
    return ReplaceText(ReplaceText(text, "<path>", file->Name(), false), "<name>", file->Path.filename().string(),
                       false);
  };
  const TProcessResult r = RunKestrum({fill(g.Arg)}, where);
  ASSERT_TRUE(r.Started);
  EXPECT_EQ(r.ExitCode, g.Code) << r.Err;
  EXPECT_EQ(r.Err, g.Err);
  if (g.Out) {
    EXPECT_EQ(MaskFileTime(MaskClock(r.Out)), Crlf(fill(g.Out)));
  }
  for (const std::string& line : g.Holds) EXPECT_NE(r.Out.find(line), std::string::npos) << line << r.Out;
}

INSTANTIATE_TEST_SUITE_P(Runs, KestrumProcess, ::testing::ValuesIn(kGoldens),
                         [](const ::testing::TestParamInfo<TGolden>& info) { return std::string(info.param.Name); });
