#include "driver/run_driver.h"

#include <array>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/command_line.h"
#include "export/second_stage.h"
#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "pedigree/loader.h"
#include "pedigree/pedigree_core.h"
#include "pedigree/population.h"
#include "records/output_streams.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr std::string_view kUsage =
    "usage: pedpeel [--] [NAME...]\n"
    "       pedpeel --help | -h | --version\n"
    "\n"
    "Reads the control file input1.dat in the current directory, whose first two records\n"
    "name the pedigree file and the BLOOD file (columns 1-20). Divides every pedigree into\n"
    "nuclear families, takes them in peeling order and writes:\n"
    "  VOLMA.DAT  one block of lines per family record\n"
    "  def.err    the loop report of a pedigree that cannot be taken apart (else empty)\n"
    "  iway.IWA   binary pedigree and family-record structure, race and sex codes\n"
    "  iway.IVM   record kinds and initial identifiers\n"
    "NAME arguments are used, in order, for data-file names left blank in input1.dat;\n"
    "write a name that starts with '-' after '--', or as ./-name.\n"
    "\n"
    "Options, anywhere on the line (the first one given is taken):\n"
    "  -h, --help  print this text and exit\n"
    "  --version   print the version and exit\n"
    "  --          end of the options: every argument after it is a NAME\n"
    "Any other argument that starts with '-', a lone '-' too, is an unknown option.\n"
    "\n"
    "Exit status: 0 normal end; 1 run-time error (report on standard error);\n"
    "2 stop after a console message, a pedigree with an unresolvable loop, or a\n"
    "usage error.\n";

void write_text(std::ostream& stream, std::string_view text) {
  stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  stream.flush();
}

// pedpeel takes no options but these; its operands are names for blank name fields.
Arguments read_command_line(const std::vector<std::string>& arguments) {
  return read_arguments(arguments, {.options = {}, .lone_dash_is_operand = false});
}

int report_unknown_option(std::ostream& err, const std::string& option) {
  write_text(err, "pedpeel: unknown option '" + option + "'\n");
  write_text(err, kUsage);
  return kExitStop;
}

using NameField = std::array<char, kNameWidth>;

NameField read_name(RecordStatement& statement) {
  NameField name;
  statement.begin_statement(kControlUnit, PAT_NAME20, Direction::kRead);
  statement.transfer(std::span<char>(name));
  statement.end_statement();
  return name;
}

// Says on standard error what def.err holds, for a user who does not look there. The
// console's lines go out first, the last one ended, so that the streams merged into one
// file keep their order and every line whole.
void say_loop_reported(Console& console, std::ostream& err, int pedigree) {
  console.end_pending_line();
  console.flush();
  err << "pedpeel: pedigree " << pedigree << " has a loop that cannot be taken apart; see "
      << kLoopReportFile << "\n";
  err.flush();
}

int run_stages(RunIo& io, PeelingEngine& engine, std::ostream& err) {
  io.units.open(kControlUnit, kControlFile, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io.units);
  const NameField PEDFILE = read_name(statement);
  const NameField BLOODFILE = read_name(statement);
  io.units.close(kControlUnit);

  Population population;
  load_population(io, std::string_view(PEDFILE.data(), kNameWidth),
                  std::string_view(BLOODFILE.data(), kNameWidth), population);
  group_pedigrees(population);

  RecordTables records;
  const CoreOutcome outcome = run_pedigree_core(io, population, records, engine);
  run_second_stage(io, population, records);
  if (!outcome.loop_reported()) return kExitNormal;
  say_loop_reported(io.console, err, outcome.loop_pedigree);
  return kExitStop;
}

// The run, or the answer to an option, without the check of the standard streams.
int run_command(const RunEnvironment& environment, PeelingEngine& engine) {
  const Arguments command = read_command_line(environment.arguments);
  switch (command.request) {
    case Arguments::Request::kHelp:
      write_text(*environment.out, kUsage);
      return kExitNormal;
    case Arguments::Request::kVersion:
      write_text(*environment.out, version_line("pedpeel"));
      return kExitNormal;
    case Arguments::Request::kRun:
      break;
  }
  if (!command.error.empty()) return report_unknown_option(*environment.err, command.offender);
  RunEnvironment run = environment;
  run.arguments = command.operands;
  return run_to_end(run, [&](RunIo& io) { return run_stages(io, engine, *environment.err); });
}

}  // namespace

int run_pedpeel(const RunEnvironment& environment) {
  std::unique_ptr<PeelingEngine> engine = make_production_engine();
  return run_pedpeel(environment, *engine);
}

int run_pedpeel(const RunEnvironment& environment, PeelingEngine& engine) {
  const int status = run_command(environment, engine);
  return finish_output("pedpeel", *environment.out, *environment.err, status, kExitRunError);
}

RunEnvironment process_environment(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  RunEnvironment environment;
  environment.arguments.assign(argv + 1, argv + argc);
  environment.in = &std::cin;
  environment.out = &std::cout;
  environment.err = &std::cerr;
  return environment;
}

}  // namespace pedpeel
