// Reads a directory's control file and both data files the way pedpeel's loader does (same
// units, patterns and statements), but line by line: every row remembers the line of its
// record in each data file, and a field that fails to convert becomes a finding instead of
// ending the reading. Never writes or creates a file.
#ifndef PEDPEEL_TOOLS_PEDINFO_INPUT_FILES_H_
#define PEDPEEL_TOOLS_PEDINFO_INPUT_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pedigree/population.h"
#include "tools/pedinfo/finding.h"

namespace pedpeel::pedinfo {

inline constexpr char kControlFile[] = "input1.dat";

struct InputFiles {
  std::string PEDFILE;  // data-file names from the control file, trimmed
  std::string BLOODFILE;
  int32_t pedfile_NIND = 0;    // count record of the pedigree file
  int32_t bloodfile_NIND = 0;  // count record of the BLOOD file
  Population population;       // as pedpeel loads it, grouped into pedigrees when analysable

  // By row (index 0 unused): line of the row's record in each file, 0 when it has none.
  std::vector<int32_t> PED_LINE;
  std::vector<int32_t> BLOOD_LINE;
  // By row: false when a field of the row's pedigree-file record failed to convert.
  std::vector<bool> ROW_READ;

  // Both count records were read and pedpeel would go on to the grouping pass with these
  // tables (no capacity stop); the rows may still hold fields that failed to convert.
  bool analysable = false;
  std::vector<Finding> findings;  // conversion errors, ends of file, capacity stops
};

// Why a directory cannot be checked at all: a file that cannot be opened, or a blank
// data-file name (pedpeel would take it from its command line or ask for it).
struct InputFailure {
  std::string message;  // one line naming the file
};

/// Reads `directory`. Returns the failure when a file cannot be opened or named.
std::optional<InputFailure> read_input_files(const std::string& directory, InputFiles* input);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_INPUT_FILES_H_
