// Finds the entry marker. The search is made ready once per scan and then
// only read, by every pass of the scan; a pass keeps its own tuning, and
// what it carries from one piece of a long line to the next.
//
// A search jumps with memchr to the marker byte that was rarest in the
// first text the pass searched, then compares the rest. On repetitive text
// where that stops paying (many candidates, long compares), it goes over to
// the two-way matcher, whose work is linear in the text whatever the marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Whether the marker stands right at a text's offset, in one compare of
// eight bytes: the check the scan makes at every line start, where many
// layouts put their marker. A value of its own, so that a loop may keep it
// in registers: read through the search, it was loaded again after every
// name the scan stored (2 % of a scan's instructions).
// Invariants: Head and Mask hold the marker's first (up to) eight bytes
// from the low end; Whole is whether that is all of it (one to eight bytes).
struct TMarkerStart {
  std::uint64_t Head = 0, Mask = 0;
  bool Whole = false;
  bool At(std::string_view text, std::size_t from) const {
    if (!Whole || from > text.size() || text.size() - from < 8) return false;
    std::uint64_t w;
    std::memcpy(&w, text.data() + from, 8);
    return ((w ^ Head) & Mask) == 0;
  }
};

// Invariants: Marker is empty (it matches nothing) or the run's marker,
// which outlives the search; Start is made from it; CriticalAt and Period
// are the two-way matcher's factorization of it, and Periodic tells which
// of its two searches applies.
struct TMarkerSearch {
  std::string_view Marker;
  TMarkerStart Start;
  std::size_t CriticalAt = 0;  // the marker's right half starts here
  std::size_t Period = 1;
  bool Periodic = false;
};

// A marker that holds a line end can never stand inside a line: it
// matches nothing.
void PrepareMarkerSearch(TMarkerSearch& s, std::string_view marker);

// One pass's use of the shared search: the byte it jumps to, chosen by the
// first text it searches (hence not shared, and not const).
// Invariants: RareAt is npos until the first search tunes the finder, and
// from then on an offset in the marker.
struct TMarkerFinder {
  const TMarkerSearch* Search = nullptr;
  std::size_t RareAt = std::string_view::npos;
};

// The search proper, which FindMarker calls when the marker does not stand
// right at from.
std::size_t FindMarkerFrom(TMarkerFinder& f, std::string_view text, std::size_t from);

// Offset of the first occurrence at or after from, or npos. The scan calls
// it at the start of the next line, where many layouts put their marker:
// that case costs a compare, not a call.
inline std::size_t FindMarker(TMarkerFinder& f, std::string_view text, std::size_t from) {
  return f.Search->Start.At(text, from) ? from : FindMarkerFrom(f, text, from);
}

// The marker across the pieces of one long line. Invariant: every
// occurrence that begins before Window's first byte has been looked for,
// and Window holds the line's bytes from there on (the last ones that may
// still begin an occurrence, and those not yet searched).
struct TMarkerCarry {
  std::string Window;
  bool Found = false;
};

// Looks for the marker in the next piece of a long line, and in what the
// pieces before it left; true once the line holds the marker. lineEnds: the
// piece is the line's last.
bool FindMarkerInPiece(TMarkerFinder& f, TMarkerCarry& carry, std::string_view piece, bool lineEnds);

// For tests: the two-way matcher alone.
std::size_t FindMarkerTwoWay(const TMarkerSearch& s, std::string_view text, std::size_t from);
