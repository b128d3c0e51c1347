// Word cutting (plain and prepared, at every scan width), the line-end
// searches, trimming, the other text helpers and the marker search, each held
// against a plain statement of its rule.
// Input: word number (signed byte), then a set / marker text up to the first
// NUL, then the text.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "line_reader.h"
#include "marker_search.h"
#include "piece_cuts.h"
#include "text.h"

namespace {

// Word n: the maximal runs of bytes outside the set, counted from 1.
std::string ReferenceWord(std::string_view text, std::string_view set, long long n) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (set.find(c) != std::string_view::npos) {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(word);
  if (n < 1 || n > static_cast<long long>(words.size())) return std::string();
  return words[static_cast<std::size_t>(n - 1)];
}

std::string ReferenceTrim(std::string_view text) {
  std::string s(text);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.pop_back();
  std::size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= 32) ++b;
  return s.substr(b);
}

bool Inside(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const long long n = static_cast<std::int8_t>(data[0]);
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t nul = rest.find('\0');
  std::string_view set = rest.substr(0, nul);
  std::string_view text = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  const TCharSet delims = CharSetOf(set);
  TWordCutter plain = WordCutterOf(delims);
  plain.Width = kScanPlain;

  std::string_view word = WordOf(text, plain, n);
  FUZZ_CHECK(word == ReferenceWord(text, set, n));
  FUZZ_CHECK(Inside(word, text));
  FUZZ_CHECK(TrimmedWordOf(text, plain, n) == ReferenceTrim(word));
  for (long long k : {0LL, 1LL, 2LL, 19LL, 2147483647LL, -2147483648LL})
    FUZZ_CHECK(WordOf(text, plain, k) == ReferenceWord(text, set, k));
  // The prepared cutter, at every scan width this processor runs.
  TWordCutter cutter = WordCutterOf(delims);
  for (int width = kScanPlain; width <= gBestScanWidth; ++width) {
    cutter.Width = static_cast<TScanWidth>(width);
    for (long long k : {n, 1LL, 2LL, 3LL, 8LL, 40LL}) {
      std::string_view cut = WordOf(text, cutter, k);
      FUZZ_CHECK(cut == ReferenceWord(text, set, k));
      FUZZ_CHECK(Inside(cut, text));
    }
  }
  std::string_view trimmed = Trim(text);
  FUZZ_CHECK(trimmed == ReferenceTrim(text));
  FUZZ_CHECK(Inside(trimmed, text));

  FUZZ_CHECK(UpperAscii(text).size() == text.size() && LowerAscii(text).size() == text.size());
  FUZZ_CHECK(EqualsIgnoreCase(UpperAscii(text), LowerAscii(text)));
  std::string replaced = ReplaceText(text, set, "#", false);
  std::string once = ReplaceText(text, set, "#", true);
  if (set.empty() || set.size() > text.size()) FUZZ_CHECK(replaced == text && once == text);
  FUZZ_CHECK(replaced.size() <= text.size() && once.size() <= text.size());
  std::string quoted = QuoteIfNeeded(text);
  FUZZ_CHECK(quoted == text || quoted == "\"" + std::string(text) + "\"");
  FUZZ_CHECK(Inside(FileNamePart(text), text));

  // The line-end searches, at every width, find the first and the last CR or LF.
  for (int width = kScanPlain; width <= gBestScanWidth; ++width)
    for (std::size_t from : {std::size_t{0}, text.size() / 3, text.size() / 2, text.size()}) {
      std::size_t want = text.find_first_of("\r\n", from);
      FUZZ_CHECK(FindLineEnd(text, from, static_cast<TScanWidth>(width)) ==
                 (want == std::string_view::npos ? text.size() : want));
      const std::size_t last = text.substr(from).find_last_of("\r\n");
      FUZZ_CHECK(LastLineEnd(text, from, text.size(), static_cast<TScanWidth>(width)) ==
                 (last == std::string_view::npos ? last : from + last));
    }

  // The marker search finds exactly what a plain substring search finds,
  // and so does the two-way matcher alone.
  TMarkerSearch search;
  PrepareMarkerSearch(search, set);
  TMarkerFinder finder{&search};
  const bool usable = set.find_first_of("\r\n") == std::string_view::npos;
  std::size_t from = 0;
  for (int i = 0; i < 64; ++i) {
    std::size_t hit = FindMarker(finder, text, from);
    std::size_t want = set.empty() || !usable ? std::string_view::npos : text.find(set, from);
    FUZZ_CHECK(hit == want);
    FUZZ_CHECK(FindMarkerTwoWay(search, text, from) == want);
    if (hit == std::string_view::npos) break;
    from = hit + 1 + (static_cast<unsigned char>(text[hit]) % 3);
    if (from > text.size()) break;
  }
  FUZZ_CHECK(FindMarker(finder, text, text.size() + 1) == std::string_view::npos);

  // The text as a line in pieces of every size: the marker found across
  // their ends, the words walked across them, and the two-level cut, as on
  // the whole text.
  const TWordCutter inner = WordCutterOf(CharSetOf(" :"));
  const std::vector<long long> numbers = {n, 1, 2, 3, 8, 40};
  const bool holds = usable && !set.empty() && text.find(set) != std::string_view::npos;
  for (std::size_t size = 1; size <= std::min<std::size_t>(text.size(), 70); ++size) {
    cutter.Width = static_cast<TScanWidth>(size % (gBestScanWidth + 1));
    TMarkerCarry carry;
    TWordsCut words;
    StartWordsCut(words, cutter, numbers);
    TFieldCut field;
    StartFieldCut(field, cutter, n, inner, 2);
    bool found = false;
    for (std::size_t at = 0; at < text.size(); at += size) {
      const std::string_view piece = text.substr(at, size);
      found = FindMarkerInPiece(finder, carry, piece, at + size >= text.size());
      FeedWordsCut(words, piece);
      FeedFieldCut(field, piece);
    }
    FUZZ_CHECK(found == holds);
    for (long long k : numbers) FUZZ_CHECK(TakenWord(words, k) == ReferenceTrim(ReferenceWord(text, set, k)));
    const std::string section = ReferenceTrim(ReferenceWord(text, set, n));
    FUZZ_CHECK(Trim(field.Value) == ReferenceTrim(ReferenceWord(section, " :", 2)));
  }
  return 0;
}
