#include "pedigree/run_driver.h"

#include <array>
#include <string_view>

#include "export/second_stage.h"
#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "pedigree/loader.h"
#include "pedigree/pedigree_core.h"
#include "pedigree/population.h"
#include "records/patterns.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr int kControlUnit = 1;
constexpr int kNameLength = 20;

constexpr std::string_view kUsage =
    "usage: pedpeel [NAME...]\n"
    "\n"
    "Reads the control file input1.dat in the current directory, whose first two records\n"
    "name the pedigree file and the BLOOD file (columns 1-20). Divides every pedigree into\n"
    "nuclear families, takes them in peeling order and writes:\n"
    "  VOLMA.DAT  one block of lines per family record\n"
    "  def.err    the loop report of a pedigree that cannot be taken apart (else empty)\n"
    "  iway.IWA   binary pedigree and family-record structure, race and sex codes\n"
    "  iway.IVM   record kinds and initial identifiers\n"
    "NAME arguments are used, in order, for data-file names left blank in input1.dat.\n"
    "\n"
    "Exit status: 0 normal end; 1 run-time error (report on standard error);\n"
    "2 stop after a console message, or a pedigree with an unresolvable loop.\n";

constexpr std::string_view kVersion = "pedpeel 1.0.0\n";

using NameField = std::array<char, kNameLength>;

NameField read_name(RecordStatement& statement) {
  NameField name;
  statement.begin_statement(kControlUnit, PAT_NAME20, Direction::kRead);
  statement.transfer(std::span<char>(name));
  statement.end_statement();
  return name;
}

int run_stages(RunIo& io, EngineKind engine_kind) {
  io.units.open(kControlUnit, "input1.dat", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io.units);
  const NameField PEDFILE = read_name(statement);
  const NameField BLOODFILE = read_name(statement);
  io.units.close(kControlUnit);

  Population population;
  load_population(io, std::string_view(PEDFILE.data(), kNameLength),
                  std::string_view(BLOODFILE.data(), kNameLength), population);
  group_pedigrees(population);

  RecordTables records;
  std::unique_ptr<PeelingEngine> engine =
      engine_kind == EngineKind::kReference ? make_reference_engine() : make_production_engine();
  const CoreOutcome outcome = run_pedigree_core(io, population, records, *engine);
  run_second_stage(io, population, records);
  return outcome == CoreOutcome::kLoopReported ? kExitStop : kExitNormal;
}

}  // namespace

int run_pedpeel(const RunEnvironment& environment, EngineKind engine) {
  if (environment.arguments.size() == 1) {
    const std::string& argument = environment.arguments[0];
    if (argument == "--help" || argument == "-h") {
      environment.out->write(kUsage.data(), static_cast<std::streamsize>(kUsage.size()));
      return kExitNormal;
    }
    if (argument == "--version") {
      environment.out->write(kVersion.data(), static_cast<std::streamsize>(kVersion.size()));
      return kExitNormal;
    }
  }
  return run_to_end(environment, [engine](RunIo& io) { return run_stages(io, engine); });
}

}  // namespace pedpeel
