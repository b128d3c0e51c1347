// Output failures provoked with POSIX means.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "process_runner.h"
#include "test_files.h"

extern char** environ;

TEST(VandeloPosix, FullDeviceGivesTheErrorLineAndExit3) {
  TScratchFile data("a;b;1 2 3 4 5 6 7 eight\n", "full.txt");
  std::string cmd = std::string(VANDELO_EXE) + " '" + data.Name() + "' > /dev/full 2> " + data.Name() + ".err";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  TScratchFile errFile("", "unused");
  FILE* f = std::fopen((data.Name() + ".err").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buf[512] = {};
  std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  std::remove((data.Name() + ".err").c_str());
  EXPECT_EQ(std::string(buf, n),
            "File handling ERROR occurred with \"" + data.Name() + "\" -- No space left on device\r\n");
}

TEST(VandeloPosix, ClosedPipeEndsWithExit3NotASignal) {
  std::string content;
  for (int i = 0; i < 200000; ++i) content += "a;b;1 2 3 4 5 6 7 value" + std::to_string(i) + "\n";
  TScratchFile data(content, "pipe.txt");
  // The reader of the pipe goes away at once; the writer must notice.
  std::string cmd = "set -o pipefail; " + std::string(VANDELO_EXE) + " '" + data.Name() + "' 2>/dev/null | head -c 1 >/dev/null";
  int status = std::system(("bash -c \"" + cmd + "\"").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
}
