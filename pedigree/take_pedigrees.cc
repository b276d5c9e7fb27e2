#include "pedigree/take_pedigrees.h"

namespace pedpeel {

PedigreeOutcome take_families(PassContext& context, PeelingEngine& engine) {
  enum class State { kPeel, kResolve } state = State::kPeel;
  int32_t PREV = context.families.NFAM;
  // Records taken at the last hand-back: a second hand-back with no record in between would
  // repeat forever.
  int64_t taken_at_handback = -1;
  for (;;) {
    if (state == State::kPeel) {
      engine.peel_pass(context);
      const int32_t REM = engine.untaken(context.families);
      if (REM == 0) return PedigreeOutcome::kDone;
      if (REM < PREV) {
        PREV = REM;
      } else {
        context.RESOLVED = false;
        state = State::kResolve;
      }
      continue;
    }
    if (engine.resolve_pass(context) == ResolveOutcome::kHandedBack) {
      if (context.records_taken == taken_at_handback) return PedigreeOutcome::kLoop;
      taken_at_handback = context.records_taken;
      state = State::kPeel;
      continue;
    }
    const int32_t REM = engine.untaken(context.families);
    if (REM == 0) return PedigreeOutcome::kDone;
    if (REM < PREV) {
      PREV = REM;
    } else if (context.RESOLVED) {
      state = State::kPeel;
    } else {
      return PedigreeOutcome::kLoop;
    }
  }
}

int take_pedigrees(const Population& population, PeelingEngine& engine, RecordSink& sink) {
  Families families;
  for (int p = 1; p <= population.NPED; ++p) {
    if (population.KEND[p] - population.KEND[p - 1] == 0) {
      sink.begin_pedigree(p, 0);
      continue;
    }
    engine.start_pedigree(population, p, families);
    sink.begin_pedigree(p, families.NFAM);
    if (families.NFAM == 0) continue;  // founders alone: no family to take
    PassContext context{sink, engine.lookup(), p, families};
    if (take_families(context, engine) == PedigreeOutcome::kLoop) return p;
  }
  return 0;
}

}  // namespace pedpeel
