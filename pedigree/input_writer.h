// Writes a population as pedpeel's input files: the control file input1.dat, the pedigree
// file and the BLOOD file, each record through its pattern. pedgen, pedprep and the tests
// write their inputs here.
#ifndef PEDPEEL_PEDIGREE_INPUT_WRITER_H_
#define PEDPEEL_PEDIGREE_INPUT_WRITER_H_

#include <span>
#include <string>

#include "pedigree/population.h"

namespace pedpeel {

// The names input1.dat gives the two data files; each must fit the 20-column name field.
struct InputFileNames {
  std::string pedigree = "pedigree.dat";
  std::string blood = "blood.dat";
};

/// input1.dat: the pedigree file's name, then the BLOOD file's name.
std::string control_file_text(const InputFileNames& names);

/// The pedigree file: NIND, then IPED, ID, IPAR1, IPAR2, RACE, SEX and INI_ID per
/// individual, in the order given.
std::string pedigree_file_text(std::span<const IndividualRecord> individuals);

/// The BLOOD file: NIND and NRACE, then the NRACE - 1 fractions of each individual.
std::string blood_file_text(std::span<const IndividualRecord> individuals, int32_t NRACE);

/// Writes the three files into `directory` (created beforehand). Returns an empty string,
/// or what went wrong, naming the file.
std::string write_input_files(const std::string& directory,
                              std::span<const IndividualRecord> individuals, int32_t NRACE,
                              const InputFileNames& names = {});

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_INPUT_WRITER_H_
