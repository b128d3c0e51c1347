// Scratch files for tests, removed when the object goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// Tests run as parallel processes sharing one temp folder: every process
// names its files with its own random tag.
inline const std::string& ScratchTag() {
  static const std::string tag = std::to_string(std::random_device()());
  return tag;
}

struct TScratchFile {
  std::filesystem::path Path;
  explicit TScratchFile(const std::string& content, const std::string& name = "scratch.txt") {
    static int serial = 0;
    Path = std::filesystem::temp_directory_path() /
           ("orvella_" + ScratchTag() + "_" + std::to_string(++serial) + "_" + name);
    std::ofstream f(Path, std::ios::binary);
    f.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  ~TScratchFile() {
    std::error_code ec;
    std::filesystem::remove(Path, ec);
  }
  std::string Name() const { return Path.string(); }
};
