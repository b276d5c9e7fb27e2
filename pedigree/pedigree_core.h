// The pedigree core: takes the grouped population's pedigrees apart into the record tables
// and VOLMA.DAT; a pedigree that neither pass can finish gets the loop report in def.err and
// ends the core.
#ifndef PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_
#define PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_

#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/run_end.h"

namespace pedpeel {

// How the core ended: every pedigree taken apart, or a loop reported for `loop_pedigree`.
struct CoreOutcome {
  int loop_pedigree = 0;  // 0 when the core completed
  bool loop_reported() const { return loop_pedigree != 0; }
};

/// Runs the core on the grouped population. Opens def.err (unit 35, cut to empty) and
/// VOLMA.DAT (unit 20). On completion sets NFAMREC and closes VOLMA.DAT, leaving def.err
/// open; after a loop report closes both. Sets NIND = KEND(NPED).
CoreOutcome run_pedigree_core(RunIo& io, Population& population, RecordTables& records,
                              PeelingEngine& engine);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_
