#include "export/ivm_file.h"

#include "export/iwa_file.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

void warn_about_races(Console& console) {
  for (const char* text : {"SORRY BUT NO MORE THEN 2 RACES IN VUVAZE", "CONTINUE"}) {
    console.console_begin();
    console.console_item(text);
    console.console_end();
  }
}

}  // namespace

void write_ivm_file(RunIo& io, const Population& population, const RecordTables& records) {
  io.units.open(kExportUnit, kIvmFile, Form::kFormatted, OpenIntent::kOutput);
  RecordStatement statement(io.units);
  statement.begin_statement(kExportUnit, PAT_COUNTS, Direction::kWrite);
  statement.transfer(int32_t{records.NFAMREC} + 2);
  statement.transfer(population.NIND);
  statement.end_statement();
  for (int32_t c = 1; c <= records.NFAMREC && static_cast<size_t>(c) < records.ITYPE.size(); ++c) {
    statement.begin_statement(kExportUnit, PAT_COUNTS, Direction::kWrite);
    statement.transfer(records.ITYPE[c]);
    statement.end_statement();
  }
  if (population.NRACE > 2) warn_about_races(io.console);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    statement.begin_statement(kExportUnit, PAT_NAME12, Direction::kWrite);
    statement.transfer(std::string_view(population.INI_ID[i].data(), kIniIdLength));
    statement.end_statement();
  }
  io.units.close(kExportUnit);
}

}  // namespace pedpeel
