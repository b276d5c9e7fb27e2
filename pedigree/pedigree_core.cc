#include "pedigree/pedigree_core.h"

#include "records/patterns.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr int kLoopReportUnit = 35;

void write_loop_report(RunIo& io, int pedigree) {
  RecordStatement statement(io.units);
  statement.begin_statement(kLoopReportUnit, PAT_LOOP, Direction::kWrite);
  statement.transfer(int32_t{pedigree});
  statement.end_statement();
  io.units.close(kLoopReportUnit);
  io.units.close(kVolmaUnit);
}

}  // namespace

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

CoreOutcome run_pedigree_core(RunIo& io, Population& population, RecordTables& records,
                              PeelingEngine& engine) {
  io.units.open(kLoopReportUnit, "def.err", Form::kFormatted, OpenIntent::kOutputCutAtOpen);
  io.units.open(kVolmaUnit, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  write_volma_first_record(io, population);

  const int NPED = population.NPED;
  population.NIND = population.KEND[NPED];
  int32_t NFAMTOT = 0;
  records.PEDFAM.assign(static_cast<size_t>(NPED) + 2, 0);
  records.PEDFAM_COUNT = static_cast<int16_t>(NPED);

  VolmaRecordSink sink({io, population, records});
  Families families;
  for (int p = 1; p <= NPED; ++p) {
    records.PEDFAM[p + 1] = records.PEDFAM[p];
    if (population.KEND[p] - population.KEND[p - 1] == 0) continue;
    engine.start_pedigree(population, p, families);
    NFAMTOT += families.NFAM;
    records.PEDFAM[p + 1] = static_cast<int16_t>(NFAMTOT);
    PassContext context{io, sink, engine.lookup(), p, families};
    if (take_families(context, engine) == PedigreeOutcome::kLoop) {
      write_loop_report(io, p);
      return CoreOutcome::kLoopReported;
    }
  }
  records.PEDFAM_COUNT = static_cast<int16_t>(NPED);
  records.NFAMREC = records.PEDFAM[NPED + 1];
  io.units.close(kVolmaUnit);
  return CoreOutcome::kCompleted;
}

}  // namespace pedpeel
