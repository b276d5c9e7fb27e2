#include "pedigree/pedigree_core.h"

#include "pedigree/take_pedigrees.h"
#include "pedigree/volma_block.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

void write_loop_report(RunIo& io, int pedigree) {
  RecordStatement statement(io.units);
  statement.begin_statement(kLoopReportUnit, PAT_LOOP, Direction::kWrite);
  statement.transfer(int32_t{pedigree});
  statement.end_statement();
  io.units.close(kLoopReportUnit);
  io.units.close(kVolmaUnit);
}

}  // namespace

CoreOutcome run_pedigree_core(RunIo& io, Population& population, RecordTables& records,
                              PeelingEngine& engine) {
  io.units.open(kLoopReportUnit, kLoopReportFile, Form::kFormatted, OpenIntent::kOutputCutAtOpen);
  io.units.open(kVolmaUnit, kVolmaFile, Form::kFormatted, OpenIntent::kOutput);
  write_volma_first_record(io.units, population);

  population.NIND = population.KEND[population.NPED];
  VolmaRecordSink sink(io.units, population, records);
  const int loop_pedigree = take_pedigrees(population, engine, sink);
  if (loop_pedigree != 0) {
    write_loop_report(io, loop_pedigree);
    return {loop_pedigree};
  }
  records.NFAMREC = records.PEDFAM[population.NPED + 1];
  io.units.close(kVolmaUnit);
  return {};
}

}  // namespace pedpeel
