// Loads the pedigree file and then the BLOOD file into the population tables, both on
// unit 3. Rejects, with a console line and a stop, counts that the export formats cannot
// carry.
#ifndef PEDPEEL_PEDIGREE_LOADER_H_
#define PEDPEEL_PEDIGREE_LOADER_H_

#include <string_view>

#include "pedigree/population.h"
#include "records/run_end.h"

namespace pedpeel {

// Largest NIND whose rows the 16-bit tables of the export can number.
inline constexpr int32_t kMaxIndividuals = 32767;
// Largest NRACE: ten fractions per individual.
inline constexpr int32_t kMaxRaces = 11;

/// Reads both files named by the control file's fields (PEDFILE, BLOODFILE).
void load_population(RunIo& io, std::string_view pedfile, std::string_view bloodfile,
                     Population& population);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_LOADER_H_
