// Sanitizer builds run several times slower, and AddressSanitizer reserves
// terabytes of address space; tests allow for both.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif

constexpr double kTimeLimitFactor = kSanitizedBuild ? 4.0 : 1.0;
