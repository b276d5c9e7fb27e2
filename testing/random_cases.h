// Test support: how many random cases a randomized test runs.
#ifndef PEDPEEL_TESTING_RANDOM_CASES_H_
#define PEDPEEL_TESTING_RANDOM_CASES_H_

namespace pedpeel::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSanitizedSlowdown = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kSanitizedSlowdown = 8;
#else
inline constexpr int kSanitizedSlowdown = 1;
#endif
#else
inline constexpr int kSanitizedSlowdown = 1;
#endif

/// The number of random cases to run out of `cases`: all of them in a plain build, an
/// eighth in a sanitized build, where every case runs many times slower.
constexpr int random_cases(int cases) {
  return cases / kSanitizedSlowdown;
}

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_RANDOM_CASES_H_
