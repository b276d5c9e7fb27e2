// Taking a population's pedigrees apart, with no file in sight: every pedigree in turn is
// grouped into families, and the simple peeling and loop resolution passes alternate until
// its families are all taken or neither pass can take the rest. pedpeel's core, pedinfo
// and pedprep all take pedigrees through here.
#ifndef PEDPEEL_PEDIGREE_TAKE_PEDIGREES_H_
#define PEDPEEL_PEDIGREE_TAKE_PEDIGREES_H_

#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "pedigree/population.h"

namespace pedpeel {

enum class PedigreeOutcome { kDone, kLoop };

/// The pass control of one pedigree whose families `context` holds: peel while peeling
/// takes families; then resolve while resolving takes them; peel again after a resolution
/// that took something. kLoop when neither pass can take the rest, or when a hand-back
/// follows a hand-back with no record taken in between (it would repeat forever).
PedigreeOutcome take_families(PassContext& context, PeelingEngine& engine);

/// Takes pedigrees 1..NPED of the grouped population in order: sink.begin_pedigree() for
/// each, then every family taken goes to sink.emit(). Returns the pedigree whose families
/// neither pass could take, which ends the walk, or 0 when every pedigree was taken apart.
/// A stop (RunStop) raised by a pass or by the sink ends it too.
int take_pedigrees(const Population& population, PeelingEngine& engine, RecordSink& sink);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_TAKE_PEDIGREES_H_
