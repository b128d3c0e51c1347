// A small program for the process runner's tests: it reports what it was
// given through the platform layer, so both sides are checked together.
//   probe args A B ...      each argument after "args" as <A> on its own line
//   probe split A B ...     the same after "same" or "differs": whether the
//                           command-line rules split the raw line alike
//   probe streams CODE      fixed bytes to stdout and stderr, exits with CODE
//   probe pause             how many 100 ms steps passed before a "key"
//   probe touch NAME        creates NAME (as typed) in the current directory
//   probe beep              sounds the alert, prints nothing
//   probe hold MIB          takes MIB MiB and touches every page; exit 3
//                           when the memory is not there
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "platform/windows_names.h"

namespace {

void Put(TStdStream s, const std::string& text) {
  std::string err;
  PlatWriteStd(s, text.data(), text.size(), &err);
}

}  // namespace

int main(int argc, char** argv) {
  PlatInitProcess(argc, argv);
  std::vector<std::string> args = PlatArguments();
  std::string mode = args.empty() ? "" : args[0];
  if (mode == "args") {
    for (std::size_t i = 1; i < args.size(); ++i) Put(StdOutput, "<" + args[i] + ">\r\n");
    return 0;
  }
  if (mode == "split") {
    std::vector<std::string> split = CommandLineArguments(PlatRawCommandLine());
    Put(StdOutput, split == args ? "same\r\n" : "differs\r\n");
    for (std::size_t i = 1; i < args.size(); ++i) Put(StdOutput, "<" + args[i] + ">\r\n");
    return 0;
  }
  if (mode == "streams" && args.size() == 2) {
    Put(StdOutput, "out\r\nbare\n");
    Put(StdError, "err\r\n");
    Put(StdOutput, std::string("\x1A\0end", 5));
    return std::atoi(args[1].c_str());
  }
  if (mode == "pause") {
    PlatKeyWatchStart();
    int steps = 0;
    while (steps < 20 && !PlatKeyPending()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ++steps;
    }
    PlatKeyWatchStop();
    Put(StdOutput, std::to_string(steps) + "\r\n");
    return 0;
  }
  if (mode == "touch" && args.size() == 2) {
    TPlatHandle h;
    std::string err;
    if (!PlatOpenWrite(TFileName(args[1], 1, 0), false, &h, &err)) return 2;
    return PlatClose(h, &err) ? 0 : 2;
  }
  if (mode == "hold" && args.size() == 2) {
    const std::size_t size = std::strtoull(args[1].c_str(), nullptr, 10) << 20;
    std::unique_ptr<char[]> held(new (std::nothrow) char[size]);
    if (!held) return 3;
    // Stores the compiler must keep.
    volatile char* pages = held.get();
    for (std::size_t i = 0; i < size; i += 4096) pages[i] = 1;
    return 0;
  }
  if (mode == "beep") {
    PlatBeep();
    return 0;
  }
  Put(StdError, "unknown mode\r\n");
  return 99;
}
