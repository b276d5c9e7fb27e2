// Writes pedgen's population as pedpeel's three input files: the control file input1.dat,
// the pedigree file and the BLOOD file.
#ifndef PEDPEEL_TOOLS_PEDGEN_INPUT_FILES_H_
#define PEDPEEL_TOOLS_PEDGEN_INPUT_FILES_H_

#include <string>
#include <vector>

#include "tools/pedgen/shapes.h"

namespace pedpeel::pedgen {

// Names the control file gives the two data files.
inline constexpr char kPedigreeFileName[] = "pedigree.dat";
inline constexpr char kBloodFileName[] = "blood.dat";

/// The pedigree file: NIND (I5), then IPED, ID, IPAR1, IPAR2, RACE, SEX (6I5) and INI_ID
/// (A12) per individual.
std::string pedigree_file(const std::vector<Individual>& individuals);

/// The BLOOD file: NIND and NRACE (2I5), then the NRACE - 1 fractions of each individual
/// (E12.4, one record each).
std::string blood_file(const std::vector<Individual>& individuals, int32_t races);

/// Writes input1.dat and the two data files into `directory`. False (with errno set) when
/// a file cannot be written.
bool write_input_files(const std::string& directory, const std::vector<Individual>& individuals,
                       int32_t races);

}  // namespace pedpeel::pedgen

#endif  // PEDPEEL_TOOLS_PEDGEN_INPUT_FILES_H_
