// Output failures and odd files provoked with POSIX means.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "flat_reader.h"
#include "output_capture.h"
#include "posix_process.h"
#include "reader_exit_codes.h"
#include "test_files.h"
#include "time_limits.h"

namespace {

std::string FileErrorLine(const std::string& name, const std::string& error) {
  return "File handling ERROR occurred with \"" + name + "\" -- " + error + "\r\n";
}

std::string Values(int count) {
  std::string content;
  for (int i = 0; i < count; ++i) content += "a;b;1 2 3 4 5 6 7 value" + std::to_string(i) + "\n";
  return content;
}

}  // namespace

TEST(VandeloPosix, OutputThatCannotBeWrittenEndsWithExit3) {
  // Small: the failure shows at the final flush. Large: in the middle of the file.
  TScratchFile small(Values(1), "small.txt");
  TScratchFile large(Values(200000), "large.txt");
  for (const TScratchFile* file : {&small, &large}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{file->Name()}, std::vector<std::string>{file->Name(), "-d"}}) {
      SCOPED_TRACE(::testing::PrintToString(args));
      TProcessResult full = RunWithStdoutOn(VANDELO_EXE, args, "/dev/full");
      EXPECT_EQ(full.ExitCode, VandeloExit::FileError);
      EXPECT_EQ(full.Err, FileErrorLine(file->Name(), "No space left on device"));
      // A closed pipe is an error result, not a signal that kills the program.
      TProcessResult pipe = RunWithClosedStdout(VANDELO_EXE, args);
      EXPECT_EQ(pipe.ExitCode, VandeloExit::FileError);
      EXPECT_EQ(pipe.Err, FileErrorLine(file->Name(), "Broken pipe"));
    }
  }
}

TEST(VandeloPosix, FifoIsReadAndNeverWaitsForAWriter) {
  TFifo fifo;
  ASSERT_FALSE(fifo.Path.empty());
  TProcessResult empty = RunProgram(VANDELO_EXE, {fifo.Path});
  EXPECT_EQ(empty.ExitCode, VandeloExit::Ok);
  EXPECT_EQ(empty.Err, "");
  EXPECT_EQ(empty.Out, "");

  // A reader of our own lets the writer open without waiting.
  int keep = open(fifo.Path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(keep, 0);
  int writer = open(fifo.Path.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  const std::string data = Values(3);
  ASSERT_EQ(write(writer, data.data(), data.size()), static_cast<ssize_t>(data.size()));
  close(writer);
  TProcessResult r = RunProgram(VANDELO_EXE, {fifo.Path});
  close(keep);
  EXPECT_EQ(r.ExitCode, VandeloExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "value0\r\nvalue1\r\nvalue2\r\n");
}

TEST(VandeloPosix, FileReplacedByADirectoryAfterTheExistenceTest) {
  TOutputCapture capture;
  std::string error;
  EXPECT_FALSE(PrintFlatFile(std::filesystem::temp_directory_path().string(), false, &error));
  EXPECT_EQ(error, "Is a directory");
  EXPECT_EQ(capture.Get(), "");
}

// A line of 300 MB (a hole of NUL bytes in field 4): the value is cut from
// the line's pieces as they pass, so nothing of the line is kept; the
// breakdown shows the line, so it is gathered whole, at up to twice its
// size while its room grows. From a pipe, a line of 256 MiB without the
// breakdown is not held either.
TEST(VandeloPosix, LongLinesInBoundedMemory) {
  const std::int64_t size = 300 * kMiB;
  const std::string head = "a;b;1 2 3 4 5 6 7 eight\r\nx;y;1 2 3 4 5 6 7 long;";
  TScratchFile file(size, {{0, head}, {size - 6, "\r\nend"}}, "long-line.txt");
  TFifo fifo;
  ASSERT_FALSE(fifo.Path.empty());
  struct {
    std::vector<std::string> args;
    std::int64_t held;
  } cases[] = {{{file.Name()}, 0}, {{file.Name(), "-d"}, 2 * size}, {{fifo.Path}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const bool piped = c.args[0] == fifo.Path;
    // A reader of our own lets the writer open before the program does.
    const int keep = piped ? open(fifo.Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    const int writer = piped ? open(fifo.Path.c_str(), O_WRONLY | O_CLOEXEC) : -1;
    ASSERT_EQ(keep >= 0, piped);
    ASSERT_EQ(writer >= 0, piped);
    std::thread writing([writer, &head] {
      if (writer < 0) return;
      // A write to a pipe nobody reads any more fails; no signal ends the tests.
      sigset_t pipeSignal;
      sigemptyset(&pipeSignal);
      sigaddset(&pipeSignal, SIGPIPE);
      pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
      const std::string nul(kMiB, '\0');
      bool ok = write(writer, head.data(), head.size()) == static_cast<ssize_t>(head.size());
      for (int i = 0; ok && i < 256; ++i)
        ok = write(writer, nul.data(), nul.size()) == static_cast<ssize_t>(nul.size());
      ok = ok && write(writer, "\r\nend", 5) == 5;
      close(writer);
    });
    TScratchFile out("", "long-line.out");
    TProcessOptions options;
    options.StdoutPath = out.Name();
    TProcessResult r = RunProgram(VANDELO_EXE, c.args, options);
    if (keep >= 0) close(keep);  // a writer held up by a program gone fails now
    writing.join();
    EXPECT_EQ(r.ExitCode, VandeloExit::Ok);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(std::filesystem::file_size(out.Path) > static_cast<std::uintmax_t>(size), c.held > 0);
    if (c.held == 0) {
      std::ifstream f(out.Path, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      EXPECT_EQ(text, "eight\r\nlong\r\n\r\n");
    }
    if (!kSanitizedBuild) {
      EXPECT_LE(r.PeakMemoryBytes, PeakMemoryLimit(c.held));
    }
  }
}

// Memory that gives out is a failure of the file work: exit 3, the file
// error line with the system's wording, and the values printed before stay.
TEST(VandeloPosix, RunningOutOfMemoryIsAFileError) {
  if (kSanitizedBuild) GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
  const std::int64_t size = 512 * kMiB;
  // The value itself is the long part here (NUL bytes inside it are kept),
  // and it must be held.
  TScratchFile file(size, {{0, "a;b;1 2 3 4 5 6 7 eight\r\nx;y;1 2 3 4 5 6 7 X"}, {size - 3, "Y\r\n"}}, "oom.txt");
  for (const std::vector<std::string>& args : {std::vector<std::string>{file.Name()}, {file.Name(), "-d"}}) {
    SCOPED_TRACE(args.size());
    TProcessOptions limited;
    limited.MemoryLimitBytes = 256 * kMiB;
    TProcessResult r = RunProgram(VANDELO_EXE, args, limited);
    EXPECT_EQ(r.ExitCode, VandeloExit::FileError);
    EXPECT_EQ(r.Err, FileErrorLine(file.Name(), std::strerror(ENOMEM)));
    EXPECT_EQ(r.Out.substr(0, args.size() == 1 ? 7 : 13), args.size() == 1 ? "eight\r\n" : "Original   = ");
  }
}
