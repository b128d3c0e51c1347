// Text helpers over 8-bit byte strings (no decoding anywhere).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan_width.h"

typedef std::vector<std::string> TStringArray;
typedef std::vector<std::int32_t> TIntegerArray;

// A set of byte values, one flag per byte.
struct TCharSet {
  bool Has[256] = {};
};

// Every byte that occurs in the text; empty text gives the empty set.
TCharSet CharSetOf(std::string_view text);

// A delimiter set made ready for cutting many texts: a set of up to four
// bytes is searched 16 or 32 bytes at a time where the processor allows it.
struct TWordCutter {
  TCharSet Set;
  unsigned char Members[4] = {};
  int MemberCount = -1;  // -1: more than four members: byte by byte
  // The widest scan to use where the processor runs it: all it runs, unless
  // a test narrows it to hold every path against the others.
  TScanWidth Width = kScanAvx2;
};

TWordCutter WordCutterOf(const TCharSet& delims);

// Where a walk through the words of a text stands, so that a text may come
// in pieces. The words are the maximal runs of bytes outside the set; runs of
// delimiters separate only, so no word is empty; they are numbered from 1.
// A fresh walk stands before the text's first byte.
// Invariants: Begun counts the words that began in the bytes walked; InWord
// is whether the last byte walked belongs to a word (false before the first).
struct TWordWalk {
  long long Begun = 0;
  bool InWord = false;
};

// Whether the walk is past the wanted word; true for numbers below 1, which
// name no word.
inline bool WordEnded(const TWordWalk& w, long long wanted) {
  return wanted < 1 || w.Begun > wanted || (w.Begun == wanted && !w.InWord);
}

// Walks the piece from offset from on until the wanted word has ended or
// the piece has, and returns the part of the piece that belongs to that
// word (empty when the piece holds none of it). The walk then stands at the
// part's end, or at the piece's end when the word was not reached.
std::string_view WalkToWord(TWordWalk& w, const TWordCutter& cutter, std::string_view piece, std::size_t from,
                            long long wanted);

// Word n of a whole text (the empty view when there is no such word): the
// walk over the text as one piece.
std::string_view WordOf(std::string_view text, const TWordCutter& cutter, long long n);

// A line's end and one of its words.
struct TLineWord {
  std::size_t End = 0;    // the line's first CR or LF, or the text's end
  std::string_view Word;  // as WordOf cuts it from the line
};

// The line of the text that starts at from (at most the text's size), and
// its word n: in one walk where the cutter's scan width allows it, else the
// line end, then the word.
TLineWord LineWordOf(std::string_view text, std::size_t from, const TWordCutter& cutter, long long n);

// Removes bytes with codes up to 32 from both ends. Inline: it runs on
// every field the programs cut.
inline std::string_view Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return std::string_view(text.data() + b, e - b);
}

// WordOf, then Trim: how every field of a line is cut.
inline std::string_view TrimmedWordOf(std::string_view text, const TWordCutter& cutter, long long n) {
  return Trim(WordOf(text, cutter, n));
}

std::string RepeatChar(char c, long long count);

// Replaces occurrences of old (compared ignoring ASCII letter case) by
// replacement; an empty old returns the text unchanged.
std::string ReplaceText(std::string_view text, std::string_view old, std::string_view replacement, bool firstOnly);

// Wrapped in double quotes when empty or holding a blank; quotes inside are
// not doubled.
std::string QuoteIfNeeded(std::string_view text);

// ASCII letters only: the rule of the -S filter and of sorting by name.
inline char LowerAsciiByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline char UpperAsciiByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// The part after the last path separator ("/" or "\\").
std::string_view FileNamePart(std::string_view path);
// The part before the last path separator, a root ("/", "C:\\") kept whole;
// empty when there is no separator.
std::string_view DirectoryPart(std::string_view path);
