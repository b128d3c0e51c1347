#include "scan_width.h"

#include "simd.h"

const TScanWidth gBestScanWidth = [] {
#ifdef ORVELLA_AVX2
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return kScanAvx2;
#endif
#ifdef ORVELLA_SSE2
  return kScanSse2;
#else
  return kScanPlain;
#endif
}();
