// Warns of the pedigrees pedpeel will not take apart: it runs pedinfo's analysis of
// pedpeel's passes (the one `pedinfo check` uses) on each pedigree that can hold a loop.
#ifndef PEDPEEL_TOOLS_PEDPREP_LOOP_WARNINGS_H_
#define PEDPEEL_TOOLS_PEDPREP_LOOP_WARNINGS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/packing.h"
#include "tools/pedprep/pedigrees.h"

namespace pedpeel::pedprep {

/// By pedigree: 1 for one pedpeel will not take apart (a loop report or a stop), found by
/// analysing each pedigree whose family graph has a cycle and that fits one run, less
/// those marked in `known_taken` (by pedigree; none when empty).
std::vector<uint8_t> pedigrees_pedpeel_refuses(const Animals& animals, const Pedigrees& pedigrees,
                                               std::span<const uint8_t> known_taken = {});

/// For every pedigree whose family graph has a cycle, analyses the pedigree alone as
/// pedpeel would take it. One that ends in a loop report gets a warning naming the ids of
/// one shortest loop; one that ends in a stop, a warning with the stop's message. Both
/// name the run and IPED where pedpeel will end. Pedigrees without a cycle need no
/// analysis: simple peeling always takes them apart.
void warn_of_loops(const Animals& animals, const Pedigrees& pedigrees, const std::vector<Run>& runs,
                   Report& report);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_LOOP_WARNINGS_H_
