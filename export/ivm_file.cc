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
  statement.write_statement(kExportUnit, PAT_COUNTS, int32_t{records.NFAMREC} + 2, population.NIND);
  for (int32_t c = 1; c <= records.NFAMREC && static_cast<size_t>(c) < records.ITYPE.size(); ++c) {
    statement.write_statement(kExportUnit, PAT_COUNTS, records.ITYPE[c]);
  }
  if (population.NRACE > 2) warn_about_races(io.console);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    statement.write_statement(kExportUnit, PAT_NAME12,
                              std::string_view(population.INI_ID[i].data(), kIniIdLength));
  }
  io.units.close(kExportUnit);
}

}  // namespace pedpeel
