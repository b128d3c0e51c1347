// Writes a synthetic syslog file in one of the layouts Kestrum reads, for the
// benchmarks. The same seed and layout always give the same bytes, and a
// smaller size gives a prefix of a larger one.
//
//   GenerateSyslog LAYOUT SIZE OUTFILE [--names N] [--seed S]
//
// LAYOUT: nxlog tftpd32 kiwisyslog whatsup winsyslog visualsyslog fastvue
// custom. SIZE: bytes, with an optional K, M or G suffix (powers of 1024).
// About one line in ten is not an entry. Names come from a list of N
// distinct names (300 by default), spelled in mixed letter case; with up to
// a few thousand names a few of them dominate, as in real logs; with more,
// every name is equally likely. The custom layout also writes OUTFILE.conf,
// the configuration that reads it. On success one line of figures goes to
// standard output: lines, entries, distinct names met, bytes.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum TLayout { kNxLog, kTftpd32, kKiwi, kWhatsUp, kWinSyslog, kVisual, kFastVue, kCustom };

const char* const kLayoutNames[] = {"nxlog",     "tftpd32",      "kiwisyslog", "whatsup",
                                    "winsyslog", "visualsyslog", "fastvue",    "custom"};

const char kCustomConfig[] =
    "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n"
    "[JOB]|,|2|,|4|=|2\r\n";

// splitmix64: tiny, fast and the same on every platform.
struct TRandom {
  std::uint64_t State;
};

std::uint64_t NextRandom(TRandom& r) {
  std::uint64_t z = (r.State += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint32_t RandomBelow(TRandom& r, std::uint32_t n) {
  return static_cast<std::uint32_t>(((NextRandom(r) >> 32) * n) >> 32);
}

// --- names --------------------------------------------------------------

const char* const kVerbs[] = {"Backup",  "Cleanup", "Report",  "Nightly", "Patch",  "Index",   "Sync",    "Archive",
                              "Purge",   "Rotate",  "Export",  "Import",  "Audit",  "Deploy",  "Restart", "Monitor",
                              "Scan",    "Mail",    "Billing", "Invoice", "Ledger", "Payroll", "Stock",   "Cache",
                              "Session", "Token",   "Quota",   "Replica", "Snap",   "Vacuum"};
const char* const kNouns[] = {"Job",   "Task",   "Check",   "Run",    "Mailer",  "Worker",  "Agent",
                              "Sweep", "Daily",  "Weekly",  "Hourly", "Loader",  "Builder", "Refresh",
                              "Temp",  "Notify", "Rebuild", "Verify", "Collect", "Compact"};
constexpr std::uint32_t kVerbCount = sizeof kVerbs / sizeof kVerbs[0];
constexpr std::uint32_t kNounCount = sizeof kNouns / sizeof kNouns[0];
constexpr std::uint32_t kPairCount = kVerbCount * kNounCount;

std::string SnakeCase(std::string_view a, std::string_view b) {
  std::string s;
  for (char c : a) s += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  s += '_';
  for (char c : b) s += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return s;
}

// Name i of the list; distinct also when letter case is ignored. Three
// spellings take turns: "BackupJob", "backup_job", "BackupJob.ps1".
std::string NameAt(std::uint32_t i) {
  std::uint32_t pair = i / 3;
  std::string verb = kVerbs[pair % kVerbCount], noun = kNouns[(pair / kVerbCount) % kNounCount];
  std::uint32_t round = pair / kPairCount;
  std::string number;
  if (round) number.append("_").append(std::to_string(round));
  switch (i % 3) {
    case 0:
      return verb + noun + number;
    case 1:
      return SnakeCase(verb, noun) + number;
    default:
      return verb + noun + number + ".ps1";
  }
}

// One spelling of a name as it stands in a line: mostly as listed, now and
// then all upper or all lower case.
void AppendSpelling(std::string& out, const std::string& name, std::uint32_t roll) {
  if (roll < 8) {
    out += name;
    return;
  }
  for (char c : name) {
    if (roll == 8 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (roll == 9 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    out += c;
  }
}

// --- clock --------------------------------------------------------------

struct TClock {
  std::int64_t Seconds;  // since 1970-01-01
  std::int64_t CachedDay = -1;
  int Year = 0, Month = 0, Day = 0, Weekday = 0;
};

void CivilFromDays(std::int64_t z, int* y, int* m, int* d) {
  z += 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t doe = z - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

void Refresh(TClock& c) {
  std::int64_t day = c.Seconds / 86400;
  if (day == c.CachedDay) return;
  c.CachedDay = day;
  CivilFromDays(day, &c.Year, &c.Month, &c.Day);
  c.Weekday = static_cast<int>((day + 4) % 7);  // 1970-01-01 was a Thursday
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

void Append2(std::string& out, int v) {
  out += static_cast<char>('0' + v / 10);
  out += static_cast<char>('0' + v % 10);
}

void AppendNumber(std::string& out, std::uint32_t v) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  while (n) out += digits[--n];
}

void AppendIsoDate(std::string& out, const TClock& c) {
  AppendNumber(out, static_cast<std::uint32_t>(c.Year));
  out += '-';
  Append2(out, c.Month);
  out += '-';
  Append2(out, c.Day);
}

void AppendTime(std::string& out, const TClock& c) {
  int s = static_cast<int>(c.Seconds % 86400);
  Append2(out, s / 3600);
  out += ':';
  Append2(out, s / 60 % 60);
  out += ':';
  Append2(out, s % 60);
}

// "Dec 07 2026"
void AppendMonthDayYear(std::string& out, const TClock& c) {
  out += kMonths[c.Month - 1];
  out += ' ';
  Append2(out, c.Day);
  out += ' ';
  AppendNumber(out, static_cast<std::uint32_t>(c.Year));
}

// --- lines --------------------------------------------------------------

struct TLineParts {
  const TClock* Clock;
  std::string Host;
  std::string Address;
  std::uint32_t Pid;
  const std::string* Name;  // null: not an entry
  std::uint32_t Spelling;
};

void AppendName(std::string& out, const TLineParts& p) { AppendSpelling(out, *p.Name, p.Spelling); }

void AppendLine(std::string& out, TLayout layout, const TLineParts& p) {
  const TClock& c = *p.Clock;
  const bool entry = p.Name != nullptr;
  switch (layout) {
    case kNxLog:
      // name: word 10 by tab and blank; date: words 11, 12 and 3
      out += entry ? "<158>1 " : "<134>1 ";
      AppendIsoDate(out, c);
      out += 'T';
      AppendTime(out, c);
      out += ' ';
      AppendTime(out, c);
      out += ' ' + p.Host + " ORVELLA - - ";
      if (entry) {
        out += "[MAJOR] Script: ";
        AppendName(out, p);
      } else {
        out += "[INFO] Heartbeat: ok";
      }
      out += ' ';
      AppendMonthDayYear(out, c);
      out += " pid=";
      AppendNumber(out, p.Pid);
      out += " user=svc_batch";
      break;
    case kTftpd32:
      // name: field 3 by ";", then word 8 by blank and ":"
      out += kWeekdays[c.Weekday];
      out += ' ';
      out += kMonths[c.Month - 1];
      out += ' ';
      Append2(out, c.Day);
      out += ' ';
      AppendTime(out, c);
      out += ' ';
      AppendNumber(out, static_cast<std::uint32_t>(c.Year));
      out += ';' + p.Address + ';';
      out += entry ? "<158>1 " : "<134>1 ";
      AppendIsoDate(out, c);
      out += 'T';
      AppendTime(out, c);
      out += ' ' + p.Host + " ORVELLA ";
      if (entry) {
        out += "Script: ";
        AppendName(out, p);
        out += " started pid=";
        AppendNumber(out, p.Pid);
      } else {
        out += "Heartbeat: ok";
      }
      break;
    case kKiwi:
    case kWhatsUp: {
      // name: word 9 by tab and blank, one trailing colon; date: words 1, 2
      const char sep = layout == kKiwi ? '\t' : ' ';
      AppendIsoDate(out, c);
      out += ' ';
      AppendTime(out, c);
      out += sep;
      if (layout == kKiwi)
        out += entry ? "Local3.Info" : "Local7.Notice";
      else
        out += entry ? "local3.info" : "local7.notice";
      out += sep;
      out += p.Address;
      out += sep;
      out += kMonths[c.Month - 1];
      out += ' ';
      Append2(out, c.Day);
      out += ' ';
      AppendTime(out, c);
      out += ' ' + p.Host + ' ';
      if (entry) {
        AppendName(out, p);
        out += ": [MAJOR] job started pid=";
        AppendNumber(out, p.Pid);
      } else {
        out += "heartbeat: ok";
      }
      break;
    }
    case kWinSyslog:
      // name: word 12 by blank and ","; date: words 1, 2
      AppendIsoDate(out, c);
      out += ',';
      AppendTime(out, c);
      out += ',' + p.Address + ",Local3,Info," + p.Host + " ORVELLA: [MAJOR] Job -- ";
      out += entry ? "Initiated " : "Completed ";
      AppendSpelling(out, entry ? *p.Name : std::string("heartbeat"), entry ? p.Spelling : 0);
      out += " by scheduler";
      break;
    case kVisual:
      // name: word 11 by tab and blank; date: words 12, 13 and 4
      out += p.Address + "\tLocal3\tInfo\t";
      AppendTime(out, c);
      out += '\t' + p.Host + " ORVELLA: [MAJOR] Job -- ";
      out += entry ? "Initiated " : "Completed ";
      AppendSpelling(out, entry ? *p.Name : std::string("heartbeat"), entry ? p.Spelling : 0);
      out += ' ';
      AppendMonthDayYear(out, c);
      break;
    case kFastVue:
      // name: word 5 by tab and blank; date: words 6, 7 and 3
      out += p.Address + '\t' + p.Host + '\t';
      AppendTime(out, c);
      out += "\tScript\t";
      AppendSpelling(out, entry ? *p.Name : std::string("heartbeat"), entry ? p.Spelling : 0);
      out += '\t';
      AppendMonthDayYear(out, c);
      out += entry ? " -- Initiated by scheduler" : " -- Completed rc=0";
      break;
    case kCustom:
      // "[JOB]|,|2|,|4|=|2": field 4 by ",", then word 2 by "="; date field 2
      out += p.Host + ',';
      AppendIsoDate(out, c);
      out += ' ';
      AppendTime(out, c);
      if (entry) {
        out += ",[JOB],task=";
        AppendName(out, p);
        out += ",rc=0,pid=";
        AppendNumber(out, p.Pid);
      } else {
        out += ",[HEARTBEAT],state=ok";
      }
      break;
  }
  out += "\r\n";
}

// --- name choice --------------------------------------------------------

constexpr std::uint32_t kSkewedLimit = 5000;

struct TNamePicker {
  std::vector<std::string> Names;
  std::vector<double> Cumulative;  // skewed choice; empty for an even one
};

TNamePicker MakePicker(std::uint32_t count) {
  TNamePicker p;
  p.Names.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) p.Names.push_back(NameAt(i));
  if (count <= kSkewedLimit) {
    // Zipf-like weights 1/(rank+1).
    double sum = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      sum += 1.0 / (i + 1);
      p.Cumulative.push_back(sum);
    }
    for (double& w : p.Cumulative) w /= sum;
  }
  return p;
}

std::uint32_t PickName(const TNamePicker& p, TRandom& r) {
  std::uint32_t n = static_cast<std::uint32_t>(p.Names.size());
  if (p.Cumulative.empty()) return RandomBelow(r, n);
  double u = static_cast<double>(NextRandom(r) >> 11) * (1.0 / 9007199254740992.0);
  std::uint32_t lo = 0, hi = n - 1;
  while (lo < hi) {
    std::uint32_t mid = (lo + hi) / 2;
    if (p.Cumulative[mid] < u)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// --- command line -------------------------------------------------------

bool ParseSize(const char* text, std::uint64_t* size) {
  char* end = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text) return false;
  std::uint64_t unit = 1;
  if (*end == 'K' || *end == 'k') unit = 1ULL << 10;
  if (*end == 'M' || *end == 'm') unit = 1ULL << 20;
  if (*end == 'G' || *end == 'g') unit = 1ULL << 30;
  if (unit != 1) ++end;
  if (*end != '\0') return false;
  *size = v * unit;
  return true;
}

int Usage() {
  std::fputs(
      "usage: GenerateSyslog LAYOUT SIZE OUTFILE [--names N] [--seed S]\n"
      "  LAYOUT: nxlog tftpd32 kiwisyslog whatsup winsyslog visualsyslog fastvue custom\n"
      "  SIZE:   bytes, with an optional K, M or G suffix\n",
      stderr);
  return 2;
}

bool WriteAll(std::FILE* f, const std::string& data) {
  return std::fwrite(data.data(), 1, data.size(), f) == data.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  int layout = -1;
  for (int i = 0; i < 8; ++i)
    if (std::strcmp(argv[1], kLayoutNames[i]) == 0) layout = i;
  std::uint64_t size = 0;
  if (layout < 0 || !ParseSize(argv[2], &size)) return Usage();
  std::string outName = argv[3];
  std::uint64_t names = 300, seed = 1;
  for (int i = 4; i < argc; ++i) {
    if (i + 1 < argc && std::strcmp(argv[i], "--names") == 0 && ParseSize(argv[i + 1], &names)) {
      ++i;
    } else if (i + 1 < argc && std::strcmp(argv[i], "--seed") == 0 && ParseSize(argv[i + 1], &seed)) {
      ++i;
    } else {
      return Usage();
    }
  }
  if (names < 1 || names > 100000000) return Usage();

  std::FILE* f = std::fopen(outName.c_str(), "wb");
  if (!f) {
    std::perror(outName.c_str());
    return 1;
  }
  if (layout == kCustom) {
    std::FILE* conf = std::fopen((outName + ".conf").c_str(), "wb");
    if (!conf || !WriteAll(conf, kCustomConfig) || std::fclose(conf) != 0) {
      std::perror((outName + ".conf").c_str());
      return 1;
    }
  }

  TRandom random{seed};
  TNamePicker picker = MakePicker(static_cast<std::uint32_t>(names));
  std::vector<bool> met(picker.Names.size());
  std::uint64_t lines = 0, entries = 0, distinct = 0, written = 0;
  TClock clock{1796601600};  // 2026-12-07 00:00:00
  std::vector<std::string> hosts, addresses;
  for (int i = 0; i < 24; ++i) {
    hosts.push_back((i % 3 == 0 ? "SRV-DB" : i % 3 == 1 ? "SRV-APP" : "WKS-OPS") + std::to_string(10 + i));
    addresses.push_back("10.20." + std::to_string(i / 8 + 1) + "." + std::to_string(17 + i * 7));
  }

  std::string buffer, line;
  buffer.reserve(1 << 20);
  for (;;) {
    clock.Seconds += RandomBelow(random, 3);
    Refresh(clock);
    std::uint32_t host = RandomBelow(random, static_cast<std::uint32_t>(hosts.size()));
    TLineParts parts{&clock, hosts[host], addresses[host], 1000 + RandomBelow(random, 60000), nullptr, 0};
    bool entry = RandomBelow(random, 10) != 0;
    std::uint32_t pick = 0;
    if (entry) {
      pick = PickName(picker, random);
      parts.Name = &picker.Names[pick];
      parts.Spelling = RandomBelow(random, 10);
    }
    line.clear();
    AppendLine(line, static_cast<TLayout>(layout), parts);
    if (written + line.size() > size) break;
    buffer += line;
    written += line.size();
    ++lines;
    if (entry) {
      ++entries;
      if (!met[pick]) {
        met[pick] = true;
        ++distinct;
      }
    }
    if (buffer.size() >= (1 << 20) - 512) {
      if (!WriteAll(f, buffer)) break;
      buffer.clear();
    }
  }
  bool ok = !std::ferror(f) && WriteAll(f, buffer);
  if (std::fclose(f) != 0 || !ok) {
    std::perror(outName.c_str());
    return 1;
  }
  std::printf("lines=%llu entries=%llu names=%llu bytes=%llu\n", static_cast<unsigned long long>(lines),
              static_cast<unsigned long long>(entries), static_cast<unsigned long long>(distinct),
              static_cast<unsigned long long>(written));
  return 0;
}
