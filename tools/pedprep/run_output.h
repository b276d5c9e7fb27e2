// What one run directory holds: the pedigree file's records (input1.dat, pedigree.dat and
// blood.dat are written from them by pedigree/input_writer.h) and ids.tsv, which maps
// every row back to the input. Also the INI_ID of every row.
#ifndef PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_
#define PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
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

// Where each pedigree is written. A pedigree's rows are its members in their order
// (Pedigrees::members), IDs 1..; nothing is copied by row.
struct Placement {
  std::vector<int32_t> run_of;   // by pedigree: the index of its run
  std::vector<int16_t> IPED_of;  // by pedigree: its IPED in that run
};

/// The run and IPED of every pedigree: the pedigrees of each run are IPED 1.. in the
/// run's order.
Placement place_pedigrees(const Pedigrees& pedigrees, const std::vector<Run>& runs);

// A text written in place at its end: room for the most bytes a piece may take is made
// before it is written. It keeps its room from one use to the next, and no byte of it is
// set but by the pieces written.
class TextEnd {
 public:
  std::string_view text() const { return {bytes_.get(), used_}; }
  void clear() { used_ = 0; }
  /// Where the next piece of at most `most` bytes goes.
  char* room(size_t most) {
    if (room_ - used_ < most) grow(most);
    return bytes_.get() + used_;
  }
  /// The piece written at room() ends at `end`.
  void wrote(const char* end) { used_ = static_cast<size_t>(end - bytes_.get()); }

 private:
  void grow(size_t most);

  std::unique_ptr<char[]> bytes_;
  size_t room_ = 0;
  size_t used_ = 0;
};

struct RunContents {
  std::vector<IndividualRecord> records;  // the pedigree file's rows, in order
  TextEnd ids;                            // ids.tsv
  std::vector<int32_t> animals;           // by row: its animal
};

/// The rows of run r into `*contents` (whose buffers are reused): its pedigrees are IPED
/// 1.. in the run's order, the rows of each its members in order, with their fractions
/// from `blood`. INI_ID is the original id, blank-padded, when it has at most 12 bytes;
/// for a longer one the part `long_ids` keeps of it; otherwise (and for an added parent) a
/// form distinct within the run: up to 7 bytes of the id ("+sire" or "+dam" for an added
/// parent), '~', and a 4-digit base-36 counter. A copy has the INI_ID of the animal it
/// copies when both are in the run, and always its fractions. When the population has
/// copies, ids.tsv has the column copy_of. `ids_hold_tilde` is false when no id of the
/// population holds '~': then no id can be a shortened form, and none is looked at for one.
void run_contents(const LongIds& long_ids, const Animals& animals, const Pedigrees& pedigrees,
                  const Blood& blood, const std::vector<Run>& runs, const Placement& placement,
                  size_t r, bool ids_hold_tilde, RunContents* contents);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_RUN_OUTPUT_H_
