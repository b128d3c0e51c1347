#include "custom_config.h"

#include <limits>
#include <new>

#include "channels.h"
#include "exit_codes.h"
#include "files.h"
#include "line_reader.h"
#include "numbers.h"
#include "platform/platform.h"
#include "startup.h"
#include "text.h"

const char kSampleConfigHeader[] = "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2";
const char kSampleConfigLine[] = "<158>|;|1|;|3| :|8";

namespace {

// Where -X writes when it is given no name.
constexpr char kSampleConfigFileName[] = "Kestrum.Input.TXT";

// Signed 32-bit decimal; anything else (a base prefix, trailing text, out of
// range) gives the field's default.
std::int32_t FieldNumber(std::string_view word, std::int32_t defaultValue) {
  std::int64_t value;
  if (!ParseDecimal(word, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), &value))
    return defaultValue;
  return static_cast<std::int32_t>(value);
}

}  // namespace

bool ApplyCustomConfigLine(std::string_view line, TSyslogConfigRec& profile) {
  // A blank line left at the end of a hand-edited file must not wipe the
  // layout, any more than a comment.
  if (line.starts_with('#') || Trim(line).empty()) return false;
  static const TWordCutter pipe = WordCutterOf(CharSetOf("|"));
  auto field = [&](int n) { return WordOf(line, pipe, n); };
  profile.Kind = Custom;
  profile.Marker.assign(field(1));
  profile.Date_Delimiter = CharSetOf(field(2));
  profile.Date_Index = FieldNumber(field(3), 1);
  profile.Delimiter_1 = CharSetOf(field(4));
  profile.Index_1 = FieldNumber(field(5), 1);
  profile.Delimiter_2 = CharSetOf(field(6));
  profile.Index_2 = FieldNumber(field(7), -1);
  return true;
}

void ReadCustomSyslogConfig(const TFileName& fileName, TSyslogConfigRec& profile) {
  TLineReader reader;
  try {
    if (!FileExists(fileName)) {
      ReportFileNotFound();
      return;
    }
    // Read into a copy so a failure halfway leaves the profile untouched.
    TSyslogConfigRec read = profile;
    bool readOk = OpenLineReader(reader, fileName, TLongLines::Whole);
    std::string_view line;
    while (readOk && ReadLine(reader, &line)) ApplyCustomConfigLine(line, read);
    readOk = readOk && !reader.Failed;
    // Closed whether or not the read went well; a reader that failed to
    // open has nothing to close, and keeps the open's error text.
    if (!CloseLineReader(reader) || !readOk) {
      ReportFileError(fileName.Text, reader.ErrorText, KestrumExit::ReadError);
      return;
    }
    profile = std::move(read);
  } catch (const std::bad_alloc&) {
    // The file is closed before the failure is reported; closing a reader
    // that never opened a file does nothing.
    CloseLineReader(reader);
    ReportOutOfMemory(fileName.Text, KestrumExit::ReadError);
  }
}

void ExportSampleConfig(const TFileName& fileName, bool append) {
  const TFileName name = fileName.Text.empty() ? TFileName(kSampleConfigFileName) : fileName;
  try {
    TPlatHandle handle = NoPlatHandle;
    std::string error;
    const std::string text = std::string(kSampleConfigHeader) + kLineEnd + kSampleConfigLine + kLineEnd;
    // Appending only to a file that is there.
    if (!PlatOpenWrite(name, append && FileExists(name), &handle, &error)) {
      ReportFileError(name.Text, error, KestrumExit::WriteError);
      return;
    }
    // Closed whatever the write gave; a failed write is the failure told.
    const bool written = PlatWrite(handle, text.data(), text.size(), &error);
    std::string closeError;
    if (!PlatClose(handle, written ? &error : &closeError) || !written) {
      ReportFileError(name.Text, error, KestrumExit::WriteError);
      return;
    }
    // Confirmed only once the file is safely closed.
    WriteLine(Out(), "Sample Custom Configuration saved to: \"" + PlatFullPath(name) + "\"");
    // A script reading the confirmation must not take a lost one for success.
    if (!Flush(Out())) ReportFileError(name.Text, Out().ErrorText, KestrumExit::WriteError);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory(name.Text, KestrumExit::WriteError);
  }
}
