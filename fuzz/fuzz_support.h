// Shared by the fuzz targets: the input written to a file, console output
// swallowed, and a hard stop on a broken rule.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "channels.h"
#include "output_capture.h"

// A broken expectation is a finding: stop so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

// The first line of rest, taken off it.
inline std::string_view TakeInputLine(std::string_view& rest) {
  const std::size_t nl = rest.find('\n');
  const std::string_view line = rest.substr(0, nl);
  rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
  return line;
}

// The bytes as a file in the temporary folder, removed again when the
// object goes (libFuzzer may end the process without running exit handlers).
struct TFuzzFile {
  std::string Path;
  TFuzzFile(std::string_view bytes, const char* name) {
    Path =
        (std::filesystem::temp_directory_path() / ("orvella_fuzz_" + std::to_string(getpid()) + "_" + name)).string();
    std::ofstream f(Path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) std::abort();
  }
  ~TFuzzFile() { std::remove(Path.c_str()); }
};

// The console output of one input, which the capture holds instead of
// writing it; Drain empties it for the next input.
struct TFuzzSink : TOutputCapture {
  void Drain() {
    FlushAll();
    Text.clear();
    ErrorText.clear();
  }
};
