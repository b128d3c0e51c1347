// The platform contract, checked against whichever OS side was built.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "dates.h"
#include "files.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

// A fresh empty directory under the temp folder, removed with its content.
struct TScratchDir {
  fs::path Path;
  explicit TScratchDir(const std::string& name) {
    // Test processes run side by side: a random tag keeps their folders apart.
    static const unsigned tag = std::random_device{}();
    Path = fs::temp_directory_path() / ("orvella_" + std::to_string(tag) + "_" + name);
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~TScratchDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string Name() const { return Path.string(); }
};

std::string ReadWhole(const std::string& path, std::size_t chunk) {
  TPlatHandle h = NoPlatHandle;
  std::string err;
  EXPECT_TRUE(PlatOpenRead(path, &h, &err)) << err;
  std::string data;
  std::vector<char> buf(chunk);
  std::size_t got = 0;
  while (PlatRead(h, -1, buf.data(), buf.size(), &got, &err) && got > 0) data.append(buf.data(), got);
  EXPECT_TRUE(err.empty()) << err;
  EXPECT_TRUE(PlatClose(h, &err)) << err;
  return data;
}

bool WriteWhole(const std::string& path, bool append, const std::string& data, std::string* err) {
  TPlatHandle h = NoPlatHandle;
  if (!PlatOpenWrite(path, append, &h, err)) return false;
  bool wrote = PlatWrite(h, data.data(), data.size(), err);
  bool closed = PlatClose(h, err);
  return wrote && closed;
}

// A message meant for a one-line report: text, no line break, no full stop
// left dangling before the program's own punctuation.
void ExpectOneLineMessage(const std::string& err) {
  ASSERT_FALSE(err.empty());
  EXPECT_EQ(err.find_first_of("\r\n"), std::string::npos) << err;
  EXPECT_NE(err.back(), '.') << err;
  EXPECT_NE(err.back(), ' ') << err;
}

std::int64_t NowMs() { return DateTimeOf(PlatNow()).Ms; }

}  // namespace

TEST(Platform, PathKinds) {
  TScratchDir dir("kinds");
  TScratchFile file("x");
  struct {
    std::string path;
    TPathKind kind;
    bool exists;
  } cases[] = {
      {file.Name(), TPathKind::File, true},
      {dir.Name(), TPathKind::Directory, false},
      {(dir.Path / "missing.txt").string(), TPathKind::Missing, false},
      {(dir.Path / "no" / "such" / "file.txt").string(), TPathKind::Missing, false},
      {"", TPathKind::Missing, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(PlatQueryPath(c.path), c.kind);
    EXPECT_EQ(FileExists(c.path), c.exists);
  }
}

TEST(Platform, DirectorySearchFindsExactEntries) {
  TScratchDir dir("search");
  fs::create_directory(dir.Path / "sub");
  std::string file = (dir.Path / "entry.log").string();
  std::string err;
  ASSERT_TRUE(WriteWhole(file, false, "data", &err)) << err;
  EXPECT_EQ(PlatSearchDirectory(file), TPathKind::File);
  EXPECT_EQ(PlatSearchDirectory((dir.Path / "sub").string()), TPathKind::Directory);
  EXPECT_EQ(PlatSearchDirectory((dir.Path / "entry").string()), TPathKind::Missing);
  EXPECT_EQ(PlatSearchDirectory((dir.Path / "entry.lo").string()), TPathKind::Missing);
  EXPECT_EQ(PlatSearchDirectory((dir.Path / "nodir" / "entry.log").string()), TPathKind::Missing);
}

TEST(Platform, ReadsWholeFileInAnyChunkSize) {
  std::string content;
  for (int i = 0; i < 5000; ++i) content += "line " + std::to_string(i) + "\r\n\x1A";
  content += std::string("\0\xFF tail", 7);
  TScratchFile f(content);
  for (std::size_t chunk : {1u, 7u, 4096u, 65536u, 1000000u}) {
    SCOPED_TRACE(chunk);
    EXPECT_EQ(ReadWhole(f.Name(), chunk), content);
  }
}

TEST(Platform, ReadsAtOffsets) {
  TScratchFile f("0123456789");
  TPlatHandle h = NoPlatHandle;
  std::string err;
  ASSERT_TRUE(PlatOpenRead(f.Name(), &h, &err)) << err;
  EXPECT_TRUE(PlatCanReadAt(h));
  const struct {
    std::int64_t Offset;
    std::size_t Capacity;
    const char* Want;
  } cases[] = {{3, 4, "3456"}, {0, 2, "01"}, {8, 4, "89"}, {10, 4, ""}, {25, 4, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Offset);
    char buf[16];
    std::size_t got = 99;
    EXPECT_TRUE(PlatRead(h, c.Offset, buf, c.Capacity, &got, &err)) << err;
    EXPECT_EQ(std::string(buf, got), c.Want);
  }
  EXPECT_TRUE(PlatClose(h, &err)) << err;
}

TEST(Platform, SizeAndModificationTime) {
  std::int64_t before = NowMs();
  TScratchFile f(std::string(123457, 'z'));
  std::int64_t after = NowMs();
  TPlatHandle h = NoPlatHandle;
  std::string err;
  ASSERT_TRUE(PlatOpenRead(f.Name(), &h, &err)) << err;
  std::int64_t size = -1;
  EXPECT_TRUE(PlatFileSize(h, &size, &err)) << err;
  EXPECT_EQ(size, 123457);
  TLocalTime when;
  EXPECT_TRUE(PlatFileModified(h, &when, &err)) << err;
  // Both are local time: a file just written lies between the two clock
  // readings, give or take the file system's coarse time stamps.
  EXPECT_GE(DateTimeOf(when).Ms, before - 2000) << when.Hour << ":" << when.Minute;
  EXPECT_LE(DateTimeOf(when).Ms, after + 2000) << when.Hour << ":" << when.Minute;
  EXPECT_TRUE(PlatClose(h, &err)) << err;
}

TEST(Platform, OpenReadFailures) {
  TScratchDir dir("openfail");
  TPlatHandle h = NoPlatHandle;
  std::string err;
  EXPECT_FALSE(PlatOpenRead((dir.Path / "missing.txt").string(), &h, &err));
  ExpectOneLineMessage(err);
  // A directory is no text file: the open or the first read says so.
  err.clear();
  if (PlatOpenRead(dir.Name(), &h, &err)) {
    char buf[16];
    std::size_t got = 0;
    EXPECT_FALSE(PlatRead(h, -1, buf, sizeof buf, &got, &err));
    std::string ignored;
    PlatClose(h, &ignored);
  }
  ExpectOneLineMessage(err);
}

TEST(Platform, CreateReplaceAndAppend) {
  TScratchDir dir("write");
  std::string path = (dir.Path / "out.txt").string();
  std::string err;
  ASSERT_TRUE(WriteWhole(path, true, "first\r\n", &err)) << err;  // append creates
  EXPECT_EQ(ReadWhole(path, 4096), "first\r\n");
  ASSERT_TRUE(WriteWhole(path, true, "second\n", &err)) << err;
  EXPECT_EQ(ReadWhole(path, 4096), "first\r\nsecond\n");
  ASSERT_TRUE(WriteWhole(path, false, "new", &err)) << err;
  EXPECT_EQ(ReadWhole(path, 4096), "new");
  ASSERT_TRUE(WriteWhole(path, false, "", &err)) << err;
  EXPECT_EQ(ReadWhole(path, 4096), "");
}

TEST(Platform, WriteRefusesDirectoriesAndMissingFolders) {
  TScratchDir dir("writefail");
  for (bool append : {false, true}) {
    SCOPED_TRACE(append);
    std::string err;
    EXPECT_FALSE(WriteWhole(dir.Name(), append, "x", &err));
    ExpectOneLineMessage(err);
    err.clear();
    EXPECT_FALSE(WriteWhole((dir.Path / "nodir" / "f.txt").string(), append, "x", &err));
    ExpectOneLineMessage(err);
  }
  EXPECT_EQ(PlatQueryPath(dir.Name()), TPathKind::Directory);
}

TEST(Platform, ReadsFileThatIsOpenForWriting) {
  TScratchDir dir("shared");
  std::string path = (dir.Path / "live.log").string();
  TPlatHandle writer = NoPlatHandle;
  std::string err;
  ASSERT_TRUE(PlatOpenWrite(path, false, &writer, &err)) << err;
  ASSERT_TRUE(PlatWrite(writer, "entry 1\r\n", 9, &err)) << err;
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(ReadWhole(path, 4096), "entry 1\r\n");
  EXPECT_TRUE(PlatClose(writer, &err)) << err;
}

TEST(Platform, FullPathIsAbsoluteAndNormal) {
  std::string full = PlatFullPath("some_dir/../name.txt");
  EXPECT_TRUE(fs::path(full).is_absolute()) << full;
  EXPECT_EQ(full.find(".."), std::string::npos) << full;
  EXPECT_EQ(std::string(fs::path(full).filename().string()), "name.txt");
  EXPECT_EQ(fs::path(full).parent_path(), fs::current_path());
  EXPECT_EQ(PlatFullPath(full), full);
}

TEST(Platform, ProgramPathNamesThisTestProgram) {
  std::string path = PlatProgramPath();
  EXPECT_TRUE(fs::path(path).is_absolute()) << path;
  EXPECT_EQ(PlatQueryPath(path), TPathKind::File) << path;
  EXPECT_NE(path.find("core_tests"), std::string::npos) << path;
}

TEST(Platform, CaseFoldAscii) {
  unsigned char table[256];
  PlatCaseFoldTable(table);
  for (int c = 0; c < 128; ++c) {
    SCOPED_TRACE(c);
    int want = c >= 'A' && c <= 'Z' ? c + 32 : c;
    EXPECT_EQ(table[c], want);
  }
  // Folding twice changes nothing.
  for (int c = 0; c < 256; ++c) EXPECT_EQ(table[table[c]], table[c]) << c;
}

TEST(Platform, DefaultLocaleIsUsable) {
  TLocaleFormats f = PlatDefaultLocale();
  EXPECT_FALSE(f.DateSeparator.empty());
  EXPECT_FALSE(f.TimeSeparator.empty());
  for (const std::string& m : f.ShortMonthNames) EXPECT_FALSE(m.empty());
  for (const char* piece : {"y", "M", "d"})
    EXPECT_NE(f.ShortDatePicture.find(piece), std::string::npos) << f.ShortDatePicture;
}
