#include "piece_cuts.h"

#include <algorithm>
#include <utility>

#include "invariants.h"

namespace {

// The part from its first byte above 32 on: the front of Trim.
std::string_view WithoutLeadingBlanks(std::string_view part) {
  std::size_t b = 0;
  while (b < part.size() && static_cast<unsigned char>(part[b]) <= 32) ++b;
  return part.substr(b);
}

}  // namespace

void TakeWordPart(std::string& taken, std::string_view part) {
  taken.append(taken.empty() ? WithoutLeadingBlanks(part) : part);
}

void ReleaseLongWord(std::string& taken) {
  taken.clear();
  // Small words keep their room for the next line; a long one gives it back.
  if (taken.capacity() > 65536) taken.shrink_to_fit();
}

void StartFieldCut(TFieldCut& cut, const TWordCutter& outerSet, long long outer, const TWordCutter& innerSet,
                   long long inner) {
  // A fresh cut, whose value keeps the room of a short word for the next line.
  ReleaseLongWord(cut.Value);
  cut = {&outerSet, &innerSet, outer, inner, TWordWalk(), TWordWalk(), false, std::move(cut.Value)};
}

void FeedFieldCut(TFieldCut& cut, std::string_view piece) {
  std::string_view part = WalkToWord(cut.OuterWalk, *cut.OuterSet, piece, 0, cut.Outer);
  if (cut.Inner == TFieldCut::kWholeSection) {
    TakeWordPart(cut.Value, part);
    return;
  }
  // The section is trimmed before its words are counted; its back needs no
  // trimming, as bytes up to 32 there only end the last word, which is
  // trimmed anyway.
  if (!cut.SectionBegun) {
    part = WithoutLeadingBlanks(part);
    if (part.empty()) return;
    cut.SectionBegun = true;
  }
  TakeWordPart(cut.Value, WalkToWord(cut.InnerWalk, *cut.InnerSet, part, 0, cut.Inner));
  ORVELLA_INVARIANT(cut.Value.empty() || static_cast<unsigned char>(cut.Value[0]) > 32);
}

void StartWordsCut(TWordsCut& cut, const TWordCutter& set, const std::vector<long long>& numbers) {
  cut.Set = &set;
  cut.Numbers = numbers;
  std::sort(cut.Numbers.begin(), cut.Numbers.end());
  cut.Numbers.erase(std::unique(cut.Numbers.begin(), cut.Numbers.end()), cut.Numbers.end());
  cut.Taken.resize(cut.Numbers.size());
  for (std::string& t : cut.Taken) ReleaseLongWord(t);
  cut.Next = 0;
  cut.Walk = TWordWalk();
}

void FeedWordsCut(TWordsCut& cut, std::string_view piece) {
  std::size_t from = 0;
  while (cut.Next < cut.Numbers.size()) {
    const long long n = cut.Numbers[cut.Next];
    const std::string_view part = WalkToWord(cut.Walk, *cut.Set, piece, from, n);
    TakeWordPart(cut.Taken[cut.Next], part);
    if (!WordEnded(cut.Walk, n)) return;
    from = static_cast<std::size_t>(part.data() + part.size() - piece.data());
    ++cut.Next;
  }
  ORVELLA_INVARIANT(cut.Next == cut.Numbers.size());
}

std::string_view TakenWord(const TWordsCut& cut, long long n) {
  const auto at = std::lower_bound(cut.Numbers.begin(), cut.Numbers.end(), n);
  if (at == cut.Numbers.end() || *at != n) return {};
  return Trim(cut.Taken[static_cast<std::size_t>(at - cut.Numbers.begin())]);
}
