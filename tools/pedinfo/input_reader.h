// Reads a directory's control file, then both data files with pedpeel's own loader, which
// pedinfo observes: every row learns the line of its record in each file, a field that
// fails to convert becomes a finding and the load goes on past it, and each record is
// looked at for data pedpeel reads silently but most likely not as meant. Never writes or
// creates a file.
#ifndef PEDPEEL_TOOLS_PEDINFO_INPUT_READER_H_
#define PEDPEEL_TOOLS_PEDINFO_INPUT_READER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pedigree/population.h"
#include "tools/pedinfo/finding.h"

namespace pedpeel::pedinfo {

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

  // Both count records were read, the pedigree file held all its records and pedpeel would
  // go on to the grouping pass with these tables (no capacity stop); the rows may still
  // hold fields that failed to convert.
  bool analysable = false;
  // What the reading found: conversion errors, ends of file and capacity stops (errors),
  // and the records pedpeel reads but most likely not as meant (warnings). A finding about
  // a row names the row only: its pedigree is not known yet.
  std::vector<Finding> findings;

  /// Whether any finding is an error: pedpeel would fail or stop while reading.
  bool read_failed() const;
};

// Why a directory cannot be checked at all: a file that cannot be opened, or a blank
// data-file name (pedpeel would take it from its command line or ask for it).
struct InputFailure {
  std::string message;  // one line naming the file
};

/// Reads `directory`. Returns the failure when a file cannot be opened or named.
std::optional<InputFailure> read_input_files(const std::string& directory, InputFiles* input);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_INPUT_READER_H_
