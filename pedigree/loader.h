// Loads the pedigree file and then the BLOOD file into the population tables, both on
// unit 3. Rejects, with a stop, counts that the export formats cannot carry.
//
// An optional observer watches the load: it is told of every record read (its file, line
// and row, and the text the statement kept), and of every read that fails, and it decides
// whether the load goes on past that failure. pedpeel's own run passes none and ends at the
// first failure; pedinfo observes the same load to number lines and report every finding.
#ifndef PEDPEEL_PEDIGREE_LOADER_H_
#define PEDPEEL_PEDIGREE_LOADER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pedigree/population.h"
#include "records/run_end.h"
#include "records/run_error.h"

namespace pedpeel {

// The two data files, in the order they are read.
enum class DataFile { kPedigree, kBlood };

// A record of a data file as the loader reads it. Each read statement of the loader takes
// exactly one record, so the record of row i is line i + 1 of its file.
struct LoadedRecord {
  DataFile file;
  int32_t line;           // from 1; the count record is line 1
  int32_t row;            // 0 for the count record
  std::string_view text;  // the columns the record's pattern reads; empty past the file end
  size_t text_past;       // column (from 1) of the first non-blank past them, 0 for none
};

// What the load does after a read that fails.
enum class AfterFailure {
  kEndRun,     // raise the run-time error, as pedpeel does
  kNextField,  // leave the field's target as it was and read the next field of the record
  kNextFile,   // read no more of this file: go on with the BLOOD file, or end the load
};

class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  /// A record was read whole: every item of it was transferred, except those whose
  /// failure read_failed() was told of. Not called for a record the load left early.
  virtual void record_read(const LoadedRecord& /*record*/) {}
  /// A read of `record` failed: item `item` (from 0, in pattern order: IPED, ID, IPAR1,
  /// IPAR2, RACE, SEX, INI_ID; NIND, NRACE; fraction 1, 2, ...) did not convert, or the
  /// file ended: before the record (item -1, record.text empty) or at an end-of-file mark
  /// inside a field. After an end of file, kNextField acts as kNextFile.
  virtual AfterFailure read_failed(const LoadedRecord& /*record*/, int /*item*/,
                                   const RunError& /*error*/) {
    return AfterFailure::kEndRun;
  }
};

/// Reads both files named by the control file's fields (PEDFILE, BLOODFILE). Throws the
/// RunError of a failed open, read or conversion (one the observer lets through) and the
/// RunStop of a count past the limits (kTooManyIndividuals, kTooManyFractions).
void load_population(RunIo& io, std::string_view pedfile, std::string_view bloodfile,
                     Population& population, LoadObserver* observer = nullptr);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_LOADER_H_
