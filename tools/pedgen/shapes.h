// pedgen's populations: a number of individuals in one of four shapes, drawn from a seed.
//
//   families  many small pedigrees: a founder pair with children, some with grandchildren
//   deep      one pedigree: a long line of descent, oldest generation first, a side branch
//             off every generation, and at its top a first parent that mates with his
//             daughter. Simple peeling can only work up the line from its far end, one
//             family per pass
//   inbred    many pedigrees, each a chain of generations in which children mate with each
//             other or with a parent (record kinds 4 to 7), the first one a long chain
//   founders  founders only, all of unknown race, with distinct INI_IDs (every one is an
//             unresolved founder for the origin check)
//
// Every run of pedpeel keeps at most 32767 family member entries; where a shape would need
// more, the rest of the individuals are unrelated founders of known race spread through
// the file.
#ifndef PEDPEEL_TOOLS_PEDGEN_SHAPES_H_
#define PEDPEEL_TOOLS_PEDGEN_SHAPES_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "pedigree/population.h"
#include "records/limits.h"

namespace pedpeel::pedgen {

enum class Shape { kFamilies, kDeep, kInbred, kFounders };

std::optional<Shape> parse_shape(std::string_view name);

struct Options {
  Shape shape = Shape::kFamilies;
  int32_t individuals = 1000;  // 1 to 32767
  int32_t races = 2;           // NRACE, 1 to 11
  uint32_t seed = 1;
};

// One record of the pedigree file with its BLOOD fractions.
using Individual = IndividualRecord;

/// The individuals in pedigree-file order; IDs are 1 to N, distinct.
std::vector<Individual> generate(const Options& options);

}  // namespace pedpeel::pedgen

#endif  // PEDPEEL_TOOLS_PEDGEN_SHAPES_H_
