// The origin check in its straightforward form, the test oracle of the shipped one.
#ifndef PEDPEEL_TESTING_ORACLE_ORIGIN_CHECK_H_
#define PEDPEEL_TESTING_ORACLE_ORIGIN_CHECK_H_

#include <cstdint>
#include <vector>

#include "pedigree/population.h"

namespace pedpeel::testing {

/// The rows unresolved_founders() finds, found by scanning every other row for each
/// candidate (quadratic).
std::vector<int32_t> unresolved_founders_by_scan(const Population& population);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_ORACLE_ORIGIN_CHECK_H_
