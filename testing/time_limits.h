// Sanitizer builds run several times slower, and reserve terabytes of
// address space; tests allow for both. Also the memory a run may take.
#pragma once

#include <cstdint>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif

constexpr double kTimeLimitFactor = kSanitizedBuild ? 4.0 : 1.0;

constexpr std::int64_t kMiB = std::int64_t{1} << 20;

// The peak a run may reach when it must hold a line of the given size: the
// line about once, and 16 MiB beside it.
constexpr std::int64_t PeakMemoryLimit(std::int64_t held) { return held + held / 10 + 16 * kMiB; }
