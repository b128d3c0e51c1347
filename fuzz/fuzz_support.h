// Shared by the fuzz targets: a private scratch folder, the input written to
// a file there, console output swallowed, and a hard stop on a broken rule.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "channels.h"

// A broken expectation is a finding: stop so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                            \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

inline const std::filesystem::path& FuzzScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvella_fuzz_XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    std::filesystem::path made(tmpl);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(FuzzScratchFolder(), ec);
    });
    return made;
  }();
  return folder;
}

// The bytes as a file; the same name every call.
inline std::string WriteFuzzFile(std::string_view bytes, const char* name = "input.txt") {
  std::string path = (FuzzScratchFolder() / name).string();
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) std::abort();
  return path;
}

// Everything the channels flush lands in Text, which each run empties.
struct TFuzzSink {
  std::string Text;
  TFuzzSink() {
    ResetSharedOutput();
    StdOutChannel() = TChannel{StdOutput, {}, false, {}, &Text};
    ErrorChannel() = TChannel{StdError, {}, false, {}, &Text};
  }
  ~TFuzzSink() {
    StdOutChannel().Capture = nullptr;
    ErrorChannel().Capture = nullptr;
  }
  void Drain() {
    FlushAll();
    Text.clear();
  }
};
