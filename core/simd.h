// Vector intrinsics for the byte scans. SSE2 is part of every x86-64
// processor; AVX2 (with POPCNT) is switched on per function where GCC or
// Clang build the code, and used only when BestScanWidth says so. Elsewhere
// the plain loops run.
#pragma once

#include "scan_width.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define ORVELLA_SSE2 1
#endif

#if defined(ORVELLA_SSE2) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORVELLA_AVX2 1
#define ORVELLA_AVX2_TARGET __attribute__((target("avx2,popcnt")))
#endif
