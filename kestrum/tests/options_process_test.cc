// Every option and precedence rule, through the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "test_files.h"

namespace {

// One realistic entry line per layout, with the name and the time put in.
std::string LayoutLine(const std::string& kind, const std::string& name, const std::string& t) {
  if (kind == "NxLog")
    return "<158>1 2026-12-07T" + t + " " + t + " SRV ORVELLA - - [MAJOR] Script: " + name + " Dec 07";
  if (kind == "TFTPD32" || kind == "Custom")
    return "Mon Dec 07 " + t + " 2026;<158>;SRV01 ORVELLA " + t + " [MAJOR] Script " + name + ": ok";
  if (kind == "KiwiSyslog")
    return "2026-12-07\t" + t + "\tLocal3.Info\t10.0.0.5\tDec  7 " + t + " SRV01 " + name + ": go";
  if (kind == "WhatsUp") return "2026-12-07\t" + t + "\tlocal3.info\t10.0.0.5\tDec  7 " + t + " SRV01 " + name + ": go";
  if (kind == "WinSyslog")
    return "2026-12-07," + t + ",10.0.0.5,Local3,Info,SRV01,Orvella,[MAJOR],Script,run,of," + name + " -- Initiated";
  if (kind == "VisualSyslog")
    return "7\t10.0.0.5\t2026-12-07\t" + t + "\tLocal3\tInfo\tSRV01\tOrvella\t[MAJOR]\tScript\t" + name +
           "\tDec\t07 -- Initiated";
  return "SRV01\t10.0.0.5\t" + t + "\tScript\t" + name + "\tDec\t07 -- Initiated";  // FastVue
}

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string NameLine(const std::string& name, const std::string& count) {
  std::string label = name + " " + std::string(80, '.');
  return " " + label.substr(0, 40) + " " + count;
}

// A small NxLog file: cherry x3, Banana x1, apple x2 (first seen in that order).
std::string Fruit() {
  std::string s;
  const char* names[] = {"cherry", "Banana", "apple", "CHERRY", "apple", "cherry"};
  int minute = 0;
  for (const char* n : names) s += LayoutLine("NxLog", n, "08:0" + std::to_string(minute++) + ":00") + "\r\n";
  return s + "unrelated line\r\n";
}

// The name lines of a report, in order.
std::vector<std::string> NameLines(const std::string& out) {
  std::vector<std::string> lines;
  std::size_t start = out.find(std::string(80, '=') + "\r\n");
  std::size_t end = out.find(std::string(80, '-') + "\r\n");
  if (start == std::string::npos || end == std::string::npos || end < start) return lines;
  std::stringstream s(out.substr(start + 82, end - start - 82));
  std::string line;
  while (std::getline(s, line))
    if (line.size() > 1) lines.push_back(line.substr(0, line.size() - 1));
  return lines;
}

}  // namespace

TEST(KestrumLayouts, EachPresetAndCustom) {
  struct {
    std::string kind, option;
  } cases[] = {
      {"NxLog", ""},          {"NxLog", "--NXLOG"},           {"TFTPD32", "--TF"},      {"TFTPD32", "--LEGACY"},
      {"KiwiSyslog", "--KS"}, {"KiwiSyslog", "--solarwinds"}, {"WhatsUp", "--WU"},      {"WhatsUp", "--ipswitch"},
      {"WinSyslog", "--WS"},  {"WinSyslog", "/ADISCON"},      {"VisualSyslog", "--VS"}, {"FastVue", "--FV"},
      {"Custom", "--CS"},
  };
  const std::string firstDate[] = {"Dec 07 at 08:00:01",     "Mon, Dec 07 2026 at 08:00:01", "2026-12-07 at 08:00:01",
                                   "2026-12-07 at 08:00:01", "2026-12-07 at 08:00:01",       "Dec 07 at 08:00:01",
                                   "Dec 07 at 08:00:01",     "Mon Dec 07 08:00:01 2026"};
  const std::vector<std::string> kinds = {"NxLog",     "TFTPD32",      "KiwiSyslog", "WhatsUp",
                                          "WinSyslog", "VisualSyslog", "FastVue",    "Custom"};
  TScratchFile config(
      "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n"
      "<158>|;|1|;|3| :|8\r\n",
      "layout.cfg");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind + " " + c.option);
    std::string content = "header line without any marker\r\n" + LayoutLine(c.kind, "Backup", "08:00:01") + "\r\n" +
                          LayoutLine(c.kind, "cleanup", "08:00:02") + "\r\n" +
                          LayoutLine(c.kind, "BACKUP", "08:00:03") + "\r\nfooter\r\n";
    TScratchFile file(content, "layout.log");
    std::vector<std::string> args = {file.Name()};
    if (!c.option.empty()) args.push_back(c.option);
    if (c.kind == "Custom") args.push_back(config.Name());
    TProcessResult r = RunKestrum(args);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    std::size_t k = static_cast<std::size_t>(std::find(kinds.begin(), kinds.end(), c.kind) - kinds.begin());
    std::string lastDate = firstDate[k];
    lastDate.replace(lastDate.find("08:00:01"), 8, "08:00:03");
    EXPECT_EQ(r.Out.substr(0, r.Out.find(std::string(80, '='))),
              "Processing " + c.kind + " Syslog...  Please Wait...\r\n\r\nTally of [MAJOR] Scripts Used since " +
                  firstDate[k] + "\r\n");
    EXPECT_EQ(NameLines(r.Out), (std::vector<std::string>{NameLine("Backup", "2"), NameLine("cleanup", "1")}));
    std::string type = c.kind == "Custom" ? "Custom via \"" + config.Name() + "\"" : c.kind;
    EXPECT_NE(r.Out.find(" CURRENT SYSLOG TYPE .................... " + type + "\r\n"), std::string::npos);
    EXPECT_NE(r.Out.find(" TIMESTAMP OF LAST SYSLOG ENTRY READ .... " + lastDate + "\r\n"), std::string::npos) << r.Out;
  }
}

TEST(KestrumOptions, ReportOptionsTable) {
  TScratchFile file(Fruit(), "fruit.log");
  struct {
    std::vector<std::string> options;
    std::vector<std::string> names;  // name lines, in order
    std::vector<std::string> contains;
  } cases[] = {
      {{}, {"cherry", "Banana", "apple"}, {}},
      {{"-a"}, {"apple", "Banana", "cherry"}, {}},
      {{"--ALPHA"}, {"apple", "Banana", "cherry"}, {}},
      {{"-n"}, {"Banana", "apple", "cherry"}, {}},
      {{"-a", "-n"}, {"apple", "Banana", "cherry"}, {}},
      {{"/N", "/A"}, {"apple", "Banana", "cherry"}, {}},
      {{"-s:an", "-a"}, {"Banana"}, {" PROCESSING POTENTIALLY AFFECTED BY ..... -S an\r\n"}},
      {{"--search=CHERRY", "-e"}, {"cherry"}, {"-S CHERRY\r\n", "FOUND/READ ........ 3\r\n"}},
      {{"-s", "err", "-e"}, {}, {" ERROR: File Did Not Contain Valid Syslog Entries\r\n"}},
      {{"-m", "2"}, {"cherry", "Banana"}, {" PROCESSING POTENTIALLY AFFECTED BY ..... -M 2\r\n"}},
      {{"-m", "12.9"}, {"cherry", "Banana", "apple"}, {"-M 12\r\n"}},
      {{"-m:1,000"}, {"cherry", "Banana", "apple"}, {"-M 1000\r\n"}},
      {{"-m=abc"}, {"cherry", "Banana", "apple"}, {"-M 2147483647\r\n"}},
      {{"-m", "0"}, {}, {"-M 0\r\n", " ERROR: File Did Not Contain"}},
      {{"-m", "2", "-s", "a"}, {"Banana", "apple"}, {"-M 2\r\n PROCESSING POTENTIALLY AFFECTED BY ..... -S a\r\n"}},
      {{"-u"}, {"cherry", "Banana", "apple"}, {}},
      {{"-c", "NoSuchMarker"}, {}, {" ERROR: File Did Not Contain"}},
      {{"--custom-marker=<134>"}, {}, {" ERROR: File Did Not Contain"}},
      {{"-c", ""}, {"cherry", "Banana", "apple"}, {}},
      {{"--audible-error", "foo"}, {"cherry", "Banana", "apple"}, {}},
      {{"--kiwi", "--nx"}, {}, {"ERROR: File Did Not Contain"}},
  };
  for (const auto& c : cases) {
    std::string label;
    for (const std::string& o : c.options) label += o + " ";
    SCOPED_TRACE(label);
    std::vector<std::string> args = {file.Name()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    TProcessResult r = RunKestrum(args);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    std::vector<std::string> names;
    for (const std::string& line : NameLines(r.Out)) names.push_back(line.substr(1, line.find(' ', 1) - 1));
    EXPECT_EQ(names, c.names);
    for (const std::string& piece : c.contains) EXPECT_NE(r.Out.find(piece), std::string::npos) << piece << r.Out;
  }
}

TEST(KestrumOptions, KiwiWinsOverNxLogWhateverTheOrder) {
  TScratchFile file(LayoutLine("KiwiSyslog", "job", "08:00:00") + "\n", "kiwi.log");
  for (auto order : {std::vector<std::string>{"--kiwi", "--nx"}, std::vector<std::string>{"--nx", "--kiwi"}}) {
    TProcessResult r = RunKestrum({file.Name(), order[0], order[1]});
    EXPECT_NE(r.Out.find("Processing KiwiSyslog Syslog"), std::string::npos) << r.Out;
  }
}

TEST(KestrumOptions, CustomMarkerKeepsTheRestOfTheLayout) {
  std::string line = LayoutLine("TFTPD32", "Mailer", "08:00:00");
  line.replace(line.find("<158>"), 5, "<5000>");
  TScratchFile file(line + "\n" + LayoutLine("TFTPD32", "Other", "09:00:00") + "\n", "marker.log");
  TProcessResult r = RunKestrum({file.Name(), "-c", "<5000>", "--TF"});
  EXPECT_EQ(NameLines(r.Out), std::vector<std::string>{NameLine("Mailer", "1")});
}

TEST(KestrumOptions, CommaSwitches) {
  std::string content;
  for (int i = 0; i < 1001; ++i) content += LayoutLine("NxLog", "job", "08:00:00") + "\n";
  TScratchFile file(content, "many.log");
  TProcessResult grouped = RunKestrum({file.Name()});
  EXPECT_NE(grouped.Out.find(NameLine("job", "1,001") + "\r\n"), std::string::npos) << grouped.Out;
  EXPECT_NE(grouped.Out.find(" TOTAL UNIQUE SCRIPTS EXECUTED ..........     1\r\n"), std::string::npos);
  for (auto opts : {std::vector<std::string>{"-o"}, std::vector<std::string>{"-u", "--NO-COMMA"}}) {
    std::vector<std::string> args = {file.Name()};
    args.insert(args.end(), opts.begin(), opts.end());
    TProcessResult plain = RunKestrum(args);
    EXPECT_NE(plain.Out.find(NameLine("job", "1001") + "\r\n"), std::string::npos) << plain.Out;
    EXPECT_NE(plain.Out.find(" TOTAL UNIQUE SCRIPTS EXECUTED ..........    1\r\n"), std::string::npos);
    std::string size = std::to_string(content.size());
    size.insert(size.size() - 3, ",");
    EXPECT_NE(plain.Out.find("(in bytes) ..... " + size + "\r\n"), std::string::npos) << plain.Out;
  }
}

TEST(KestrumOptions, ListOnlyPrintsNamesOnly) {
  TScratchFile file(Fruit(), "list.log");
  TProcessResult r = RunKestrum({file.Name(), "-L", "-a", "-o"});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Out, "cherry\r\nBanana\r\napple\r\nCHERRY\r\napple\r\ncherry\r\n");
  TProcessResult debug = RunKestrum({file.Name(), "--list-only", "--DEBUG", "-m", "1"});
  EXPECT_EQ(debug.Out.substr(0, 8), "cherry\r\n");
  EXPECT_NE(debug.Out.find(" Current Line# ..... 1\r\n"), std::string::npos);
  EXPECT_EQ(debug.Out.find("Processing"), std::string::npos);
  EXPECT_EQ(debug.Out.find("Start Time"), std::string::npos);
}

TEST(KestrumOptions, BannerBeforeTheReport) {
  TScratchFile file(Fruit(), "banner.log");
  TProcessResult r = RunKestrum({file.Name(), "-b"});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err.substr(0, 15), "Kestrum v2.2.0 ");
  EXPECT_EQ(r.Err.find(" was compiled on "), std::string::npos);
  TProcessResult v = RunKestrum({file.Name(), "-v"});
  EXPECT_NE(v.Err.find(" was compiled on "), std::string::npos);
  EXPECT_NE(v.Out.find("TOTAL SYSLOG ENTRIES FOUND/READ"), std::string::npos);
}

TEST(KestrumOptions, MissingFilesAndConfigurations) {
  TScratchFile file(Fruit(), "exists.log");
  struct {
    std::vector<std::string> args;
    int code;
    std::string err;
  } cases[] = {
      {{"no-such.log"}, KestrumExit::FileNotFound, "ERROR: File Not Found...\r\n"},
      {{file.Name(), "--CS", "no-such.cfg"}, KestrumExit::FileNotFound, "ERROR: File Not Found...\r\n"},
      {{"no-such.log", "--CS", "no-such.cfg"}, KestrumExit::FileNotFound, "ERROR: File Not Found...\r\n"},
      {{file.Name(), "--CS", std::filesystem::temp_directory_path().string()},
       KestrumExit::FileNotFound,
       "ERROR: File Not Found...\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    TProcessResult r = RunKestrum(c.args);
    EXPECT_EQ(r.ExitCode, c.code);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, c.err);
  }
}

TEST(KestrumExport, DefaultNameInTheCurrentDirectory) {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvella_export_" + std::to_string(std::random_device{}()));
  std::filesystem::create_directory(dir);
  TProcessOptions where;
  where.WorkDir = dir.string();
  for (auto args : {std::vector<std::string>{"-x"}, std::vector<std::string>{"log.txt", "-a", "-x"},
                    std::vector<std::string>{"log.txt", "--EXPORT-CONFIG"}}) {
    SCOPED_TRACE(args.back());
    std::filesystem::remove(dir / "Kestrum.Input.TXT");
    TProcessResult r = RunKestrum(args, where);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    std::filesystem::path full = std::filesystem::canonical(dir) / "Kestrum.Input.TXT";
    EXPECT_EQ(r.Out, "Sample Custom Configuration saved to: \"" + full.string() + "\"\r\n");
    EXPECT_EQ(Slurp(dir / "Kestrum.Input.TXT"),
              "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n<158>|;|1|;|3| :|8\r\n");
  }
  std::filesystem::remove_all(dir);
}

TEST(KestrumExport, AppendAddsAndNeverTruncates) {
  TScratchFile target("existing line\r\n", "export.txt");
  const std::string sample =
      "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n<158>|;|1|;|3| :|8\r\n";
  EXPECT_EQ(RunKestrum({"log.txt", "-x", target.Name(), "--APPEND"}).ExitCode, KestrumExit::Ok);
  EXPECT_EQ(RunKestrum({"log.txt", "-x:" + target.Name(), "--append"}).ExitCode, KestrumExit::Ok);
  EXPECT_EQ(Slurp(target.Path), "existing line\r\n" + sample + sample);
  EXPECT_EQ(RunKestrum({"log.txt", "-x=" + target.Name()}).ExitCode, KestrumExit::Ok);
  EXPECT_EQ(Slurp(target.Path), sample);
}

TEST(KestrumExport, ExportedFileReadsBackAsALayout) {
  TScratchFile config("", "roundtrip.cfg");
  ASSERT_EQ(RunKestrum({"-x", config.Name()}).ExitCode, KestrumExit::Ok);
  TScratchFile log(LayoutLine("TFTPD32", "Roundtrip", "08:00:00") + "\n", "roundtrip.log");
  TProcessResult r = RunKestrum({log.Name(), "--CUSTOM-SYSLOG", config.Name()});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(NameLines(r.Out), std::vector<std::string>{NameLine("Roundtrip", "1")});
}

TEST(KestrumExport, UnwritableTargetsFail) {
  std::string dir = std::filesystem::temp_directory_path().string();
  std::vector<std::string> targets = {dir, dir + "/no-such-folder/out.txt"};
#ifndef _WIN32
  // Opens and closes fine; only the write fails.
  targets.push_back("/dev/full");
#endif
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    TProcessResult r = RunKestrum({"log.txt", "-x", target});
    EXPECT_EQ(r.ExitCode, KestrumExit::WriteError);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err.rfind("File handling ERROR occurred with \"" + target + "\" -- ", 0), 0u) << r.Err;
    EXPECT_EQ(r.Err.substr(r.Err.size() - 2), "\r\n");
  }
}
