// Scratch files for tests, removed when the object goes.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

struct TScratchFile {
  std::filesystem::path Path;
  explicit TScratchFile(const std::string& content, const std::string& name = "scratch.txt") {
    // Test processes run side by side: a random tag keeps their files apart.
    static const unsigned tag = std::random_device{}();
    static int serial = 0;
    Path = std::filesystem::temp_directory_path() /
           ("orvella_" + std::to_string(tag) + "_" + std::to_string(++serial) + "_" + name);
    std::ofstream f(Path, std::ios::binary);
    f.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  ~TScratchFile() {
    std::error_code ec;
    std::filesystem::remove(Path, ec);
  }
  std::string Name() const { return Path.string(); }
};
