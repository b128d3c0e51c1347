// Files and command lines of a shape nobody planned for, and read faults:
// the reader must neither crash nor hang, and a failure is never a success.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "alloc_sweep.h"
#include "flat_reader.h"
#include "output_capture.h"
#include "platform/platform.h"
#include "process_runner.h"
#include "read_fault.h"
#include "reader_driver.h"
#include "reader_exit_codes.h"
#include "startup.h"
#include "syntax_report.h"
#include "test_files.h"
#include "validation.h"

namespace {

std::string Values(int count) {
  std::string content;
  for (int i = 0; i < count; ++i) content += "a;b;1 2 3 4 5 6 7 value" + std::to_string(i) + "\r\n";
  return content;
}

// Lines of a text by the reader's rule: CR LF, LF or a lone CR ends one.
std::size_t LineCount(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      ++lines;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
  }
  bool lastOpen = !text.empty() && text.back() != '\r' && text.back() != '\n';
  return lines + (lastOpen ? 1 : 0);
}

std::size_t CountOf(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

}  // namespace

TEST(ReaderBadInput, ReadErrorInTheMiddleOfTheFile) {
  const std::string content = Values(static_cast<int>(kReadBufferSize / 10));
  ASSERT_GT(content.size(), 2 * kReadBufferSize);
  TScratchFile file(content, "midfail.txt");
  TOutputCapture capture;
  TReadFault fault(2);
  std::string error;
  EXPECT_FALSE(PrintFlatFile(file.Name(), false, &error));
  EXPECT_EQ(error, "Input/output error");
  // What the first read held is written; nothing after the failure.
  const std::string& out = capture.Get();
  const std::size_t firstRead = std::count(content.begin(), content.begin() + LinesReadSize(kReadBufferSize), '\n');
  EXPECT_EQ(CountOf(out, "\r\n"), firstRead);
  EXPECT_EQ(out.substr(0, 16), "value0\r\nvalue1\r\n");
}

// Memory that gives out halfway: the file error line with the system's
// wording, exit 3, and the values before it stay written.
TEST(ReaderBadInput, OutOfMemoryInTheMiddleOfTheFile) {
  TScratchFile file(Values(static_cast<int>(kReadBufferSize / 10)), "midfail-memory.txt");
  TOutputCapture capture;
  TReadFault fault(2, "", true);
  ResetParamEngine({file.Name()});
  RunVandelo({file.Name()});
  EXPECT_EQ(ExitCode, VandeloExit::FileError);
  EXPECT_EQ(capture.GetErrors(),
            "File handling ERROR occurred with \"" + file.Name() + "\" -- " + PlatOutOfMemoryText() + "\r\n");
  EXPECT_EQ(capture.Get().substr(0, 16), "value0\r\nvalue1\r\n");
}

TEST(ReaderBadInput, HundredMegabyteLine) {
  std::string content = "a;b;1 2 3 4 5 6 7 before\nx;y;1 2 3 4 5 6 7 huge ";
  content.append(100 * 1000 * 1000, 'z');
  content += "\r\nx;y;1 2 3 4 5 6 7 after";
  TScratchFile file(content, "huge-line.txt");
  content.clear();
  content.shrink_to_fit();
  TProcessResult r = RunProgram(VANDELO_EXE, {file.Name()});
  EXPECT_EQ(r.ExitCode, VandeloExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "before\r\nhuge\r\nafter\r\n");
}

TEST(ReaderBadInput, OneOutputLineForEveryLineWhateverTheBytes) {
  std::mt19937 random(20261207);
  std::string noise(3 * 1000 * 1000, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  struct {
    const char* what;
    std::string content;
  } cases[] = {
      {"only CRs", std::string(1000000, '\r')},
      {"only NULs", std::string(1000000, '\0')},
      {"only separators", std::string(100000, ';') + "\n" + std::string(100000, ':')},
      {"random bytes", noise},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TScratchFile file(c.content, "bytes.txt");
    TProcessResult r = RunProgram(VANDELO_EXE, {file.Name()});
    EXPECT_EQ(r.ExitCode, VandeloExit::Ok);
    EXPECT_EQ(r.Err, "");
    // Every value line ends in CR LF; a value itself holds no line end.
    EXPECT_EQ(CountOf(r.Out, "\r\n"), LineCount(c.content));
    EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\r'), std::count(r.Out.begin(), r.Out.end(), '\n'));
  }
}

TEST(ReaderBadInput, TenThousandArgumentsAreIgnored) {
  TScratchFile file(Values(2), "args.txt");
  std::vector<std::string> args = {file.Name()};
  // Three characters each on the command line, within what Windows allows.
  const char* const ignored[] = {"-g", "-m", "-n", "-p", "-f", "x"};
  for (int i = 0; i < 10000; ++i) args.push_back(ignored[i % 6]);
  TProcessResult r = RunProgram(VANDELO_EXE, args);
  EXPECT_EQ(r.ExitCode, VandeloExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "value0\r\nvalue1\r\n");
}

// Memory that runs out at every third allocation of a whole run, start-up
// and last flush included, on each way a run goes: values, the breakdown,
// the help and a syntax error (its pause cut short).
TEST(ReaderBadInput, MemoryRunningOutAnywhereInARun) {
  TScratchFile file(Values(2000) + "x;y;1 2 3 4 5 6 7 " + std::string(kReadBufferSize + 1000, 'L') + "\r\n", "sweep.txt");
  const TPauseSeam keyPressed({[] {}, [] { return true; }, [] {}, [](int) {}});
  using namespace VandeloExit;
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{file.Name()}, {file.Name(), "-d", "-b"}, {"-?"}, {file.Name(), "-s"}}) {
    SCOPED_TRACE(::testing::PrintToString(args));
    SweepAllocations(
        {VandeloMain, args, {Ok, NoSearchText, FileNotFound, FileError, MissingParameters, HelpShown}, {FileError}, 1});
  }
}
