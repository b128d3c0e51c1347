// Sanitizer builds run several times slower; time limits in tests allow for it.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
constexpr double kTimeLimitFactor = 4.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kTimeLimitFactor = 4.0;
#else
constexpr double kTimeLimitFactor = 1.0;
#endif
#else
constexpr double kTimeLimitFactor = 1.0;
#endif
