// Scratch files for tests, removed when the object goes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

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
  // A file of the given size, NUL bytes but for the pieces at their offsets.
  // Where the file system allows, the NUL stretches are holes that cost no
  // disk, so files of gigabytes are cheap.
  TScratchFile(std::int64_t size, const std::vector<std::pair<std::int64_t, std::string>>& pieces,
               const std::string& name)
      : TScratchFile(std::string(), name) {
    std::filesystem::resize_file(Path, static_cast<std::uintmax_t>(size));
    std::fstream f(Path, std::ios::binary | std::ios::in | std::ios::out);
    for (const auto& [offset, text] : pieces) {
      f.seekp(static_cast<std::streamoff>(offset));
      f.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
  }
  ~TScratchFile() {
    std::error_code ec;
    std::filesystem::remove(Path, ec);
  }
  std::string Name() const { return Path.string(); }
};
