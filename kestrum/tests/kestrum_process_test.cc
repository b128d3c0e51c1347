// The built program run as a process: stdout, stderr and exit code compared
// byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "test_files.h"

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

}  // namespace

TEST(KestrumProcess, NxLogReportGolden) {
  std::string content = Entry("BackupJob", "08:15:02") + "<134>1 heartbeat\r\n" + Entry("cleanup_temp", "08:20:00") +
                        Entry("BACKUPJOB", "08:30:00") + Entry("ReportMailer:", "08:59:58") + "rotated\r\n";
  TScratchFile file(content, "nx.log");
  TProcessOptions where;
  where.WorkDir = file.Path.parent_path().string();
  TProcessResult r = RunKestrum({file.Path.filename().string()}, where);
  ASSERT_TRUE(r.Started);
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  std::string want =
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
      " CURRENT SYSLOG FILENAME ................ " +
      file.Path.filename().string() + "\n CURRENT SYSLOG FILESIZE (in bytes) ..... " + std::to_string(content.size()) +
      "\n CURRENT SYSLOG TIMESTAMP ............... <mtime>\n" + std::string(80, '-') +
      "\n TIMESTAMP OF FIRST SYSLOG ENTRY ........ Dec 07 at 08:15:02\n"
      " TIMESTAMP OF LAST SYSLOG ENTRY READ .... Dec 07 at 08:59:58\n" +
      std::string(80, '~') + "\n" + kTiming;
  EXPECT_EQ(MaskFileTime(MaskClock(r.Out)), Crlf(want));
}

TEST(KestrumProcess, EmptyFileReportsNoEntries) {
  TScratchFile file("", "empty.log");
  TProcessResult r = RunKestrum({file.Name()});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  std::string want = std::string(80, '-') +
                     "\n TOTAL UNIQUE SCRIPTS EXECUTED .......... 0\n"
                     " TOTAL SYSLOG ENTRIES FOUND/READ ........ 0\n" +
                     std::string(80, '=') + "\n\n" + std::string(80, '~') +
                     "\n ERROR: File Did Not Contain Valid Syslog Entries\n" + std::string(80, '~') + "\n" + kTiming;
  EXPECT_EQ(MaskClock(r.Out), Crlf(want));
}

TEST(KestrumProcess, MissingFileOrDirectoryIsNotFound) {
  std::string dir = std::filesystem::temp_directory_path().string();
  for (const std::string& name : {std::string("no-such-file.log"), dir, std::string("")}) {
    SCOPED_TRACE(name);
    TProcessResult r = RunKestrum({name});
    EXPECT_EQ(r.ExitCode, KestrumExit::FileNotFound);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "ERROR: File Not Found...\r\n");
  }
}

TEST(KestrumProcess, ShippedSampleTallies) {
  TProcessOptions where;
  where.WorkDir = SAMPLES_DIR;
  TProcessResult r = RunKestrum({"nxlog-sample.log"}, where);
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find(" TOTAL SYSLOG ENTRIES FOUND/READ ........ 53\r\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find(" CURRENT SYSLOG FILENAME ................ nxlog-sample.log\r\n"), std::string::npos);
}

TEST(KestrumProcess, NoLineEndsAnywhere) {
  TScratchFile file("<158>1 a 08:00:00 b c d e f g Solo Dec 07", "noeol.log");
  TProcessResult r = RunKestrum({file.Name()});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_NE(r.Out.find(" Solo ................................... 1\r\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("LAST SYSLOG ENTRY READ .... Dec 07 at 08:00:00\r\n"), std::string::npos) << r.Out;
}

// Past 4 GiB: offsets, the grouped size and the dates of the first and the
// last entry all hold. The NUL stretches are holes (also under wine), so the
// file costs no disk; they read as two lines of gigabytes without a marker.
TEST(KestrumProcess, FileLargerThanFourGigabytes) {
  const std::int64_t size = (std::int64_t{5} << 30) + 123;
  const std::string last = Entry("Last", "23:59:59");
  TScratchFile file(size,
                    {{0, Entry("First", "00:00:01")},
                     {size / 2, "\r\n" + Entry("Middle", "12:00:00")},
                     {size - static_cast<std::int64_t>(last.size()) - 2, "\r\n" + last}},
                    "five-gib.log");
  TProcessResult r = RunKestrum({file.Name()});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok) << r.Err;
  EXPECT_EQ(r.Err, "");
  for (const char* line :
       {" First .................................. 1\r\n", " Middle ................................. 1\r\n",
        " Last ................................... 1\r\n", " TOTAL SYSLOG ENTRIES FOUND/READ ........ 3\r\n",
        " CURRENT SYSLOG FILESIZE (in bytes) ..... 5,368,709,243\r\n",
        " TIMESTAMP OF FIRST SYSLOG ENTRY ........ Dec 07 at 00:00:01\r\n",
        " TIMESTAMP OF LAST SYSLOG ENTRY READ .... Dec 07 at 23:59:59\r\n"})
    EXPECT_NE(r.Out.find(line), std::string::npos) << line << r.Out;
}
