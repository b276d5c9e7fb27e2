// The pedigree core: for each pedigree in turn, groups its families and takes them in
// peeling order, alternating the simple peeling and loop resolution passes; a pedigree
// that neither pass can finish gets the loop report in def.err and ends the core.
#ifndef PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_
#define PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_

#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/run_end.h"

namespace pedpeel {

enum class CoreOutcome { kCompleted, kLoopReported };

enum class PedigreeOutcome { kDone, kLoop };

/// The pass control of one pedigree whose families `context` holds: peel while peeling
/// takes families; then resolve while resolving takes them; peel again after a resolution
/// that took something. kLoop when neither pass can take the rest, or when a hand-back
/// follows a hand-back with no record taken in between (it would repeat forever).
PedigreeOutcome take_families(PassContext& context, PeelingEngine& engine);

/// Runs the core on the grouped population. Opens def.err (unit 35, cut to empty) and
/// VOLMA.DAT (unit 20). On completion sets NFAMREC and closes VOLMA.DAT, leaving def.err
/// open; after a loop report closes both. Sets NIND = KEND(NPED).
CoreOutcome run_pedigree_core(RunIo& io, Population& population, RecordTables& records,
                              PeelingEngine& engine);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PEDIGREE_CORE_H_
