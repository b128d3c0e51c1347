#include "report.h"

#include <cstring>

#include "channels.h"
#include "numbers.h"
#include "run_state.h"
#include "syslog_profiles.h"
#include "tally.h"

int NumberWidth = 0;

void PrintNumberLine(std::string_view label, std::int64_t value, bool grouped) {
  PrintTextLine(label, FormatCount(value, grouped), NumberWidth);
}

void PrintTextLine(std::string_view label, std::string_view text, int textWidth) {
  // Built in place and written at once: the report may have a million of
  // these lines. First the label part: a blank, the label cut to 40 bytes
  // and a blank after it, dots up to column 41, a blank.
  char line[128];
  constexpr std::size_t n = 42;
  std::memset(line, '.', n);
  line[0] = line[n - 1] = ' ';
  const std::size_t shown = label.copy(line + 1, 40);
  if (shown < 40) line[1 + shown] = ' ';
  const std::size_t pad = textWidth > static_cast<int>(text.size()) ? textWidth - text.size() : 0;
  if (n + pad + text.size() <= sizeof line) {
    std::memset(line + n, ' ', pad);
    text.copy(line + n + pad, text.size());
    WriteLine(Out(), std::string_view(line, n + pad + text.size()));
    return;
  }
  Write(Out(), std::string_view(line, n));
  WriteLine(Out(), std::string(pad, ' ').append(text));
}

void PrintReport() {
  const TRunOptions& opt = RunOptions;
  const TScanResult& scan = ScanResult;
  const bool commas = opt.UseCommas;
  NumberWidth = static_cast<int>(FormatCount(scan.EntryCount, commas).size());

  const TFinishedTally& tally = scan.Tally;
  for (std::size_t i = 0; i < tally.Size(); ++i) PrintNumberLine(tally.Name(i), tally.Count(i), commas);
  PrintRule80('-');
  PrintNumberLine("TOTAL UNIQUE SCRIPTS EXECUTED", static_cast<std::int64_t>(tally.Size()), commas);
  PrintNumberLine("TOTAL SYSLOG ENTRIES FOUND/READ", scan.EntryCount, commas);
  if (!opt.SearchText.empty() || opt.MaxGiven) PrintRule80('-');
  if (opt.MaxGiven) PrintTextLine("PROCESSING POTENTIALLY AFFECTED BY", "-M " + std::to_string(opt.MaxEntries), 0);
  if (!opt.SearchText.empty()) PrintTextLine("PROCESSING POTENTIALLY AFFECTED BY", "-S " + opt.SearchText, 0);
  PrintRule80('=');
  WriteLineEnd(Out());
  PrintRule80('~');
  if (scan.EntryCount < 1) {
    WriteLine(Out(), " ERROR: File Did Not Contain Valid Syslog Entries");
  } else {
    std::string kind = SyslogChoiceName(CurrentSyslogConfig.Kind);
    if (!opt.CustomConfigFile.empty()) kind += " via \"" + opt.CustomConfigFile + "\"";
    PrintTextLine("CURRENT SYSLOG TYPE", kind, 0);
    PrintTextLine("CURRENT SYSLOG FILENAME", opt.SyslogFileName.Text, 0);
    PrintNumberLine("CURRENT SYSLOG FILESIZE (in bytes)", scan.FileSize, true);
    PrintTextLine("CURRENT SYSLOG TIMESTAMP", FormatDateTime("mm/dd/yyyy \"at\" hh:nn:ss", scan.FileTimestamp), 0);
    PrintRule80('-');
    PrintTextLine("TIMESTAMP OF FIRST SYSLOG ENTRY", scan.FirstEntryDate, 0);
    PrintTextLine("TIMESTAMP OF LAST SYSLOG ENTRY READ", scan.LastEntryDate, 0);
  }
  PrintRule80('~');
}

void PrintTimingBlock(TDateTime start, TDateTime end) {
  WriteLineEnd(Out());
  PrintRule80('-');
  PrintTextLine("Start Time", FormatDateTime("mm/dd/yyyy hh:nn:ss.zzz", start), 0);
  PrintTextLine("End Time", FormatDateTime("mm/dd/yyyy hh:nn:ss.zzz", end), 0);
  PrintTextLine("Elapsed Time", FormatDateTime("[hh]:nn:ss.zzz", TDateTime{end.Ms - start.Ms}), 23);
  PrintRule80('=');
  PrintRule80('#');
}
