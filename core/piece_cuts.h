// Cuts of a line taken from its pieces as they pass, for lines too long to
// hold: the same words as the cuts of a whole line (WordOf, then Trim),
// keeping only the bytes of the words wanted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text.h"

// A word's bytes as its parts pass, from its first byte above 32 on: the
// front of Trim is done as they come, the back by Trim at the end.
void TakeWordPart(std::string& taken, std::string_view part);

// Word Outer of the line by OuterSet, trimmed, and, unless Inner is
// kWholeSection, word Inner of that by InnerSet, trimmed.
// Invariants: SectionBegun is set once the outer word's first byte above 32
// has passed (the inner walk sees the section from there on); Value holds
// the wanted word's bytes as TakeWordPart keeps them.
struct TFieldCut {
  static constexpr long long kWholeSection = -1;
  const TWordCutter* OuterSet = nullptr;
  const TWordCutter* InnerSet = nullptr;
  long long Outer = 0, Inner = kWholeSection;
  TWordWalk OuterWalk, InnerWalk;
  bool SectionBegun = false;
  std::string Value;
};

// Makes the cut ready for a new line.
void StartFieldCut(TFieldCut& cut, const TWordCutter& outerSet, long long outer, const TWordCutter& innerSet,
                   long long inner);
void FeedFieldCut(TFieldCut& cut, std::string_view piece);

// Several words of the line by one set, in one walk.
// Invariants: Numbers ascend, each with its Taken bytes; the walk has taken
// every word before Numbers[Next] whole.
struct TWordsCut {
  const TWordCutter* Set = nullptr;
  std::vector<long long> Numbers;
  std::vector<std::string> Taken;
  std::size_t Next = 0;
  TWordWalk Walk;
};

// Makes the cut ready for a new line, for the given word numbers (in any
// order; a number given twice is taken once).
void StartWordsCut(TWordsCut& cut, const TWordCutter& set, const std::vector<long long>& numbers);
void FeedWordsCut(TWordsCut& cut, std::string_view piece);
// Word n, trimmed, once the line has passed; empty when n was not asked for.
std::string_view TakenWord(const TWordsCut& cut, long long n);

// Lets go of memory a very long word left behind.
void ReleaseLongWord(std::string& taken);
