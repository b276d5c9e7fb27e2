// What one run directory holds: the pedigree file's records (input1.dat, pedigree.dat and
// blood.dat are written from them by pedigree/input_writer.h) and ids.tsv, which maps
// every row back to the input. Also the INI_ID of every row.
#ifndef PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_
#define PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "pedigree/population.h"
#include "tools/pedinfo/ids_tsv.h"
#include "tools/pedinfo/run_list.h"
#include "tools/pedprep/animals.h"
#include "tools/pedprep/breed_fractions.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/long_ids.h"
#include "tools/pedprep/packing.h"
#include "tools/pedprep/pedigrees.h"

namespace pedpeel::pedprep {

// The list of run directories, one a line, as pedinfo reads it.
using pedinfo::kRunsFile;

/// "run-0001" for run index 0 (more digits past run 9999).
std::string run_directory_name(size_t index);

// A row of the output in its place: its animal and the IDs its pedigree-file record
// carries (the parents' IDs are what the placement would otherwise look up at random).
// No initial values: place_rows writes every field of every row.
struct PlacedRow {
  int32_t animal;
  int16_t ID;
  int16_t IPAR1;
  int16_t IPAR2;
};

struct Placement {
  // The rows of every run, run after run, and their race fractions, fraction_count a row
  // (a copy's: those of the animal it stands for). Every animal has one row: the tables
  // are written whole, once, and so are not zeroed first.
  std::unique_ptr<PlacedRow[]> rows;
  size_t fraction_count = 0;
  std::unique_ptr<float[]> fractions;
  std::vector<size_t> run_start;  // run r holds rows[run_start[r] .. run_start[r + 1])
  std::vector<int32_t> run_of;    // by pedigree: the index of its run
  std::vector<int16_t> IPED_of;   // by pedigree: its IPED in that run

  const float* fractions_of_row(size_t row) const { return fractions.get() + row * fraction_count; }
};

/// Places every animal and its fractions: runs in order, the pedigrees of each in the
/// run's order, the animals of each as ID 1.. in parents-first order. One pass over the
/// animals in their own order: the animals lie in input order, the places in another, and
/// scattered writes cost less than scattered reads.
Placement place_rows(const Animals& animals, const Pedigrees& pedigrees,
                     const std::vector<Run>& runs, const Blood& blood);

struct RunContents {
  std::vector<IndividualRecord> records;  // the pedigree file's rows, in order
  std::string ids;                        // ids.tsv
};

/// The rows of run r into `*contents` (whose buffers are reused): its pedigrees are IPED
/// 1.. in the run's order. INI_ID is the original id, blank-padded, when it has at most 12
/// bytes; for a longer one the part `long_ids` keeps of it; otherwise (and for an added
/// parent) a form distinct within the run: up to 7 bytes of the id ("+sire" or "+dam" for
/// an added parent), '~', and a 4-digit base-36 counter. A copy has the INI_ID of the
/// animal it copies when both are in the run, and always its fractions. When the population
/// has copies, ids.tsv has the column copy_of. `ids_hold_tilde` is false when no id of the
/// population holds '~': then no id can be a shortened form, and none is looked at for one.
void run_contents(const LongIds& long_ids, const Animals& animals, const Pedigrees& pedigrees,
                  const std::vector<Run>& runs, const Placement& placement, size_t r,
                  bool ids_hold_tilde, RunContents* contents);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_
