// What both Windows programs carry beside their code: the version resource,
// read back as Explorer and installers read it, and the manifest.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TProgramIdentity {
  const char* Path;
  WORD Numbers[4];
  const char* Version;
  const char* Description;  // the banner's text
  const char* FileName;
};

// Written out rather than taken from the build: the build makes the banner and
// the resource from one place, so only independent values can catch a slip.
const TProgramIdentity kPrograms[] = {
    {KESTRUM_EXE,
     {2, 2, 0, 250},
     "2.2.0.250",
     "Tabulate and Summarize Entries in Text-based Syslog Files",
     "Kestrum.exe"},
    {VANDELO_EXE, {1, 0, 0, 30}, "1.0.0.030", "Tabulate and Summarize Syslog Entries in Flat Syslog", "Vandelo.exe"},
};

void PrintTo(const TProgramIdentity& p, std::ostream* os) { *os << p.FileName; }

std::vector<char> VersionData(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoA(path, 0, size, data.data())) data.clear();
  return data;
}

// The text of a StringFileInfo value in the resource's first translation;
// "(missing)" when there is none.
std::string StringValue(std::vector<char>& data, const std::string& field) {
  struct TTranslation {
    WORD Language, CodePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(TTranslation))
    return "(no translation)";
  char block[64];
  snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation->Language, translation->CodePage);
  char* text = nullptr;
  if (!VerQueryValueA(data.data(), (block + field).c_str(), reinterpret_cast<void**>(&text), &length))
    return "(missing)";
  return std::string(text, length > 0 && text[length - 1] == '\0' ? length - 1 : length);
}

class ProgramResource : public ::testing::TestWithParam<TProgramIdentity> {};

TEST_P(ProgramResource, VersionNumbers) {
  const TProgramIdentity& p = GetParam();
  std::vector<char> data = VersionData(p.Path);
  ASSERT_FALSE(data.empty()) << p.Path << ": no version resource";
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  const DWORD ms = MAKELONG(p.Numbers[1], p.Numbers[0]);
  const DWORD ls = MAKELONG(p.Numbers[3], p.Numbers[2]);
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
}

TEST_P(ProgramResource, Strings) {
  const TProgramIdentity& p = GetParam();
  std::vector<char> data = VersionData(p.Path);
  ASSERT_FALSE(data.empty()) << p.Path << ": no version resource";
  const struct {
    const char* Field;
    std::string Expected;
  } kFields[] = {
      {"FileVersion", p.Version},
      {"ProductVersion", p.Version},
      {"FileDescription", p.Description},
      {"ProductName", "Orvella console tools"},
      {"CompanyName", "The Orvella Project"},
      {"LegalCopyright", "Copyright (c) 2026 The Orvella Project. All rights reserved."},
      {"InternalName", p.FileName},
      {"OriginalFilename", p.FileName},
  };
  for (const auto& f : kFields) EXPECT_EQ(StringValue(data, f.Field), f.Expected) << f.Field;
}

TEST_P(ProgramResource, Manifest) {
  const TProgramIdentity& p = GetParam();
  HMODULE image = LoadLibraryExA(p.Path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << p.Path;
  std::string manifest;
  if (HRSRC found =
          FindResourceA(image, MAKEINTRESOURCEA(1) /* for process start */, MAKEINTRESOURCEA(24) /* RT_MANIFEST */)) {
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    if (bytes) manifest.assign(bytes, SizeofResource(image, found));
  }
  FreeLibrary(image);
  ASSERT_FALSE(manifest.empty()) << p.Path << ": no manifest";
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos)
      << "Windows 10 and 11";
  EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos);
  // The 8-bit ANSI behaviour is part of the interface: no code page override.
  EXPECT_EQ(manifest.find("activeCodePage>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramResource, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<TProgramIdentity>& info) {
                           std::string name = info.param.FileName;
                           return name.substr(0, name.find('.'));
                         });

}  // namespace
