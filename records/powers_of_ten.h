// The powers of ten that field conversion scales by: those a float holds exactly, and those a
// double holds exactly. An operation with one of them as an operand rounds only once. And
// those a uint64_t holds, which bound the numbers of so many decimal digits.
#ifndef PEDPEEL_RECORDS_POWERS_OF_TEN_H_
#define PEDPEEL_RECORDS_POWERS_OF_TEN_H_

#include <cstdint>

namespace pedpeel {

inline constexpr float kFloatPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                              1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
inline constexpr double kDoublePowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr uint64_t kIntegerPowersOfTen[] = {1ULL,
                                                   10ULL,
                                                   100ULL,
                                                   1000ULL,
                                                   10000ULL,
                                                   100000ULL,
                                                   1000000ULL,
                                                   10000000ULL,
                                                   100000000ULL,
                                                   1000000000ULL,
                                                   10000000000ULL,
                                                   100000000000ULL,
                                                   1000000000000ULL,
                                                   10000000000000ULL,
                                                   100000000000000ULL,
                                                   1000000000000000ULL,
                                                   10000000000000000ULL,
                                                   100000000000000000ULL,
                                                   1000000000000000000ULL,
                                                   10000000000000000000ULL};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_POWERS_OF_TEN_H_
