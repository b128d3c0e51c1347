// Process tests that need POSIX means to provoke the condition.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <filesystem>

#include "kestrum_test_util.h"
#include "test_files.h"

TEST(KestrumPosix, ReadErrorMidFileGivesTheFileErrorLine) {
  // Reading this file at offset 0 fails with an I/O error.
  const std::string path = "/proc/self/mem";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  TProcessResult r = RunKestrum({path});
  EXPECT_EQ(r.ExitCode, 71);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "File handling ERROR occurred with \"/proc/self/mem\" -- Input/output error\r\n");
}

TEST(KestrumPosix, FileTimestampInLocalTime) {
  TScratchFile file("<158>1 a 08:00:00 b c d e f g Solo Dec 07\n", "stamp.log");
  // 2026-12-07 09:00:41 UTC
  std::filesystem::last_write_time(
      file.Path, std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds(
                     std::chrono::seconds(1796634041))));
  setenv("TZ", "UTC", 1);
  TProcessResult r = RunKestrum({file.Name()});
  unsetenv("TZ");
  EXPECT_NE(r.Out.find(" CURRENT SYSLOG TIMESTAMP ............... 12/07/2026 at 09:00:41\r\n"),
            std::string::npos)
      << r.Out;
}
