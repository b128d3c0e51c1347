// The per-name tally: distinct names in first-seen order with their counts.
// Names are equal when they match ignoring letter case (the ANSI code page's
// case mapping); the spelling first met is the one kept.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text.h"

extern TStringArray TallyNames;
extern std::vector<std::int64_t> TallyCounts;

// Empties the table and loads the case mapping.
void ResetTally();
void AddToTally(std::string_view name);

// Stable sorts, moving names and counts together. By name: ASCII-lower-cased
// bytes, unsigned, a prefix first. By count: ascending.
void SortTally(bool byName);

// -A sorts by name (also when -N is given); -N alone sorts by name and then
// by count; neither keeps first-seen order.
void SortTallyFor(bool alpha, bool number);
