#include "tools/pedinfo/pedinfo.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "driver/command_line.h"
#include "records/whole_file.h"
#include "tools/pedinfo/check.h"
#include "tools/pedinfo/check_runs.h"
#include "tools/pedinfo/draw_command.h"
#include "tools/pedinfo/dump.h"
#include "tools/pedinfo/find.h"
#include "tools/pedinfo/iwa_reader.h"
#include "tools/pedinfo/run_list.h"

namespace pedpeel::pedinfo {

namespace {

constexpr std::string_view kUsage =
    "usage: pedinfo COMMAND [ARGUMENTS]\n"
    "\n"
    "Looks into pedpeel's files without changing them.\n"
    "\n"
    "  check [DIR] [--json] [--ids FILE]   report what is wrong in the population in DIR,\n"
    "                                      or in every run of a directory pedprep wrote\n"
    "  dump FILE [--json] [--ids FILE]     decode an iway.IWA file\n"
    "  draw [DIR] --pedigree P             write pedigree P as a Graphviz DOT graph\n"
    "  draw [DIR] --around ID              draw the animals around one animal\n"
    "  find DIR ID... [--json]             where the animals of pedprep's input went\n"
    "\n"
    "\"pedinfo COMMAND --help\" describes a command.\n"
    "Exit status: 0 nothing to report; 1 problems reported; 2 usage or I/O error.\n";

constexpr std::string_view kCheckUsage =
    "usage: pedinfo check [DIR] [--json] [--ids FILE]\n"
    "\n"
    "Reads input1.dat in DIR (default: the current directory) and the pedigree and BLOOD\n"
    "files it names, with pedpeel's own readers and rules, and writes nothing. When DIR holds\n"
    "a runs.txt (and no input1.dat), as pedprep writes it, checks every run it lists, each\n"
    "with its own ids.tsv when it has one: files are named from DIR (run-0003/pedigree.dat)\n"
    "and one summary line counts the problems of all runs. Reports every\n"
    "problem found as one line\n"
    "  FILE:LINE: error: pedigree P (IPED n), ID i \"INI_ID\": message\n"
    "(warning: in place of error: for a warning), the form pedprep and compilers use,\n"
    "then a count of problems, errors and warnings. An error is something pedpeel fails,\n"
    "stops or reports a loop on, or data that cannot be true; a warning is data pedpeel\n"
    "takes but most likely not as meant. Reported:\n"
    "  - a field that does not convert (its name and columns), a file that ends too early,\n"
    "    more than 32767 individuals or 10 fractions, more than 32767 member entries, a loop\n"
    "    head with more than 300 children, the \"Ne ponjal...\" stop; a header row or a\n"
    "    UTF-8 byte order mark named as the cause of a field that does not convert;\n"
    "  - what pedpeel reads without complaint but most likely not as meant: blanks between\n"
    "    the digits of a number (dropped: a file separated by spaces, not laid out in fixed\n"
    "    columns), a fraction without a decimal point (its last four digits are decimals),\n"
    "    text past column 42 of a pedigree record (INI_ID is cut to 12 characters), NIND 0,\n"
    "    two IDs of one pedigree with the same INI_ID (one animal to the origin check);\n"
    "  - a duplicate ID in a pedigree, a parent ID without a row, IPAR1 given with IPAR2 = 0\n"
    "    (and the reverse), an individual that is its own parent or ancestor (with the\n"
    "    chain), an ID that is first parent in one family and second parent in another, an\n"
    "    IPED value in two separate runs of rows, NIND counts that disagree, RACE 126 and\n"
    "    127 (changed by the recode), fractions outside 0..1 or summing above 1, more than\n"
    "    two races;\n"
    "  - for every pedigree pedpeel reports as a loop: the families left when neither pass\n"
    "    can take more, and one shortest loop through them, individuals and families in\n"
    "    order, with their lines.\n"
    "\n"
    "  --json       the same findings as one JSON document (of a runs directory: an object\n"
    "               per run in \"runs\", and the totals); strings hold one character per\n"
    "               byte (bytes from 0x80 as U+0080..U+00FF)\n"
    "  --ids FILE   an ids.tsv as pedprep writes it (tab-separated, a header line naming at\n"
    "               least the columns iped, id, family, original and source, then one line\n"
    "               per row): every ID is shown with its original id, as 13 [HB-4711];\n"
    "               without it, DIR's own ids.tsv when it has one\n"
    "\n"
    "Exit status: 0 no problems; 1 problems reported; 2 usage error or a file that cannot\n"
    "be opened or named (of a runs directory: the other runs are still checked).\n";

constexpr std::string_view kFindUsage =
    "usage: pedinfo find DIR ID... [--json]\n"
    "\n"
    "Finds each ID, an original id of pedprep's input, in the runs of DIR (a directory with\n"
    "a runs.txt as pedprep writes it, or one run directory with an ids.tsv). For every row\n"
    "that stands for it: the run, pedigree, IPED, ID and row, and its source in ids.tsv\n"
    "(row, parent, added, or copy with the row it copies as RUNDIR/IPED/ID); then every\n"
    "family record of the run's VOLMA.DAT in which it is first parent, second parent or\n"
    "child, with the record's line, members (with their original ids), ITYPE and IWAY. A\n"
    "run without VOLMA.DAT is named as not run yet.\n"
    "\n"
    "  --json       the same as one JSON document\n"
    "\n"
    "Exit status: 0 every ID found; 1 an ID not found; 2 usage error or a file that cannot\n"
    "be read.\n";

constexpr std::string_view kDumpUsage =
    "usage: pedinfo dump FILE [--json] [--ids FILE]\n"
    "\n"
    "Decodes FILE, an iway.IWA written by pedpeel: the header byte, each of the seven framed\n"
    "records with its segments and its named values (NPED, KEND, PEDFAM, NFAMREC, LSTART,\n"
    "MEMBERS, IWAYREC, RACE, SEX), and the trailer byte. A damaged file is decoded up to the\n"
    "damage, which is reported with its offset, what was expected there and what was found.\n"
    "\n"
    "  --json       the same as one JSON document\n"
    "  --ids FILE   the ids.tsv pedprep wrote for the run: the IDs of MEMBERS and IWAYREC are\n"
    "               shown with their original ids, as 13 [HB-4711] (\"originals\" in JSON)\n"
    "\n"
    "Exit status: 0 the file is whole; 1 the file is damaged; 2 usage error or FILE cannot\n"
    "be read.\n";

constexpr std::string_view kDrawUsage =
    "usage: pedinfo draw [DIR] --pedigree P [--loop] [--limit N] [--ids FILE]\n"
    "       pedinfo draw [DIR] --around ID [--generations N] [--pedigree P] [--limit N]\n"
    "                    [--ids FILE]\n"
    "\n"
    "Writes pedigree P (1 for the first run of rows with one IPED, as pedpeel numbers them)\n"
    "of the population in DIR (default: the current directory) as a Graphviz DOT graph on\n"
    "standard output. Individuals are boxes (SEX 1), ellipses (SEX 2) or diamonds (other\n"
    "codes, and dashed for a parent without a row); each family is a small node between its\n"
    "parents and children, labelled \"N: ITYPE k\": taken N-th in the pedigree as a record\n"
    "of kind k. Families of a loop pedpeel cannot take apart are red, and one shortest loop\n"
    "through them has bold red edges. Render with e.g. \"dot -Tsvg\".\n"
    "\n"
    "  --around ID       only the animal ID, its ancestors and descendants to N generations\n"
    "                    and their mates, and the families that join them (ID: an ID of the\n"
    "                    pedigree file, or with --ids an original id, whose copies are drawn\n"
    "                    too; P is needed only when the ID is in more than one pedigree)\n"
    "  --generations N   generations up and down from ID (default 2)\n"
    "  --loop            only the families that neither pass can take, the shortest loop\n"
    "                    through them first, each family with its parents and children\n"
    "  --limit N         draw at most N animals (default 150), the nearest first; the graph's\n"
    "                    label says what was left out\n"
    "  --ids FILE        the run's ids.tsv: each animal is labelled with its original id and\n"
    "                    INI_ID, and a copy pedprep made is dashed, labelled with the row it\n"
    "                    copies\n"
    "\n"
    "When DIR holds a runs.txt (a directory pedprep wrote), --around takes an original id:\n"
    "the run that holds it is drawn, with its ids.tsv.\n"
    "\n"
    "Exit status: 0 graph written; 1 the files do not read cleanly (see pedinfo check);\n"
    "2 usage error or a file that cannot be opened.\n";

// The arguments of a subcommand: positional arguments, --json, --ids FILE, and the
// options of draw.
struct Options {
  std::vector<std::string> positional;
  bool json = false;
  std::optional<std::string> ids;
  std::optional<std::string> pedigree;
  std::optional<std::string> around;
  std::optional<std::string> generations;
  std::optional<std::string> limit;
  bool loop = false;
};

// The options of each subcommand, by the rules of driver/command_line.h.
constexpr OptionRule kCheckOptions[] = {{"--json", false}, {"--ids", true}};
constexpr OptionRule kFindOptions[] = {{"--json", false}};
constexpr OptionRule kDrawOptions[] = {{"--ids", true},    {"--pedigree", true},
                                       {"--around", true}, {"--generations", true},
                                       {"--limit", true},  {"--loop", false}};

// The value of `name` when it was given.
std::optional<std::string> value_of(const Arguments& given, std::string_view name) {
  const std::string* value = given.value(name);
  return value != nullptr ? std::optional<std::string>(*value) : std::nullopt;
}

// The options of subcommand `command` (all but the first of `arguments`); the problem when
// they cannot be read.
std::optional<std::string> read_options(const Arguments& given, const std::string& command,
                                        size_t most_positional, Options* options) {
  if (!given.error.empty()) return command + ": " + given.error;
  if (given.operands.size() > most_positional) {
    return command + ": unexpected argument '" + given.operands[most_positional] + "'";
  }
  options->positional = given.operands;
  options->json = given.has("--json");
  options->ids = value_of(given, "--ids");
  options->pedigree = value_of(given, "--pedigree");
  options->around = value_of(given, "--around");
  options->generations = value_of(given, "--generations");
  options->limit = value_of(given, "--limit");
  options->loop = given.has("--loop");
  return std::nullopt;
}

// The directory argument of check and draw: the current directory when none is given.
std::string directory_of(const Options& options) {
  return options.positional.empty() ? "." : options.positional[0];
}

// Reads the --ids file when one is named; false, with the message, when it cannot be used.
bool read_ids(const Options& options, const char* command, OriginalIds* ids,
              const OriginalIds** shown, std::ostream& err) {
  *shown = nullptr;
  if (!options.ids) return true;
  if (auto problem = ids->read(*options.ids)) {
    err << "pedinfo " << command << ": " << *problem << '\n';
    return false;
  }
  *shown = ids;
  return true;
}

int run_check(const Options& options, std::ostream& out, std::ostream& err) {
  OriginalIds ids;
  const OriginalIds* shown;
  if (!read_ids(options, "check", &ids, &shown, err)) return kUsageOrIoError;
  const std::string directory = directory_of(options);
  if (is_runs_directory(directory)) {
    if (options.ids) {
      return usage_error(err, "check: --ids is for one run; each run of " + directory +
                                  " is checked with its own " + ids_tsv::kFileName);
    }
    return check_runs(directory, options.json, out, err);
  }
  // Without --ids, a run pedprep wrote is checked with its own ids.tsv.
  std::string ids_problem;
  if (!options.ids) shown = run_ids(directory, &ids, &ids_problem);
  if (!ids_problem.empty()) err << "pedinfo check: " << ids_problem << " (checked without it)\n";
  CheckReport report;
  if (auto failure = check_directory(directory, &report, shown)) {
    err << "pedinfo check: " << failure->message << '\n';
    return kUsageOrIoError;
  }
  if (options.json) {
    write_check_json(report, out);
  } else {
    write_check_text(report, out);
  }
  return report.findings.empty() ? kNothingToReport : kProblemsReported;
}

int run_dump(const Options& options, std::ostream& out, std::ostream& err) {
  if (options.positional.empty()) {
    return usage_error(err, "dump needs the name of an iway.IWA file");
  }
  const std::string& name = options.positional[0];
  std::string bytes;
  if (const std::error_code error = read_whole_file(name, &bytes)) {
    err << "pedinfo dump: " << describe_file_error(name, error) << '\n';
    return kUsageOrIoError;
  }
  OriginalIds ids;
  const OriginalIds* shown;
  if (!read_ids(options, "dump", &ids, &shown, err)) return kUsageOrIoError;
  const IwaFile iwa = read_iwa(bytes);
  if (options.json) {
    write_dump_json(name, iwa, out, shown);
  } else {
    write_dump_text(name, iwa, out, shown);
  }
  return iwa.damage ? kProblemsReported : kNothingToReport;
}

int run_find(const Options& options, std::ostream& out, std::ostream& err) {
  if (options.positional.size() < 2) {
    return usage_error(err, "find needs a directory and at least one original id");
  }
  const std::vector<std::string> originals(options.positional.begin() + 1,
                                           options.positional.end());
  FindReport report;
  if (auto problem = find_animals(options.positional[0], originals, &report)) {
    err << "pedinfo find: " << *problem << '\n';
    return kUsageOrIoError;
  }
  if (options.json) {
    write_find_json(report, out);
  } else {
    write_find_text(report, out);
  }
  for (const FoundAnimal& animal : report.animals) {
    if (animal.rows.empty()) return kProblemsReported;
  }
  return kNothingToReport;
}

int run_draw_options(const Options& options, std::ostream& out, std::ostream& err) {
  DrawArguments arguments;
  arguments.directory = directory_of(options);
  arguments.pedigree = options.pedigree;
  arguments.around = options.around;
  arguments.generations = options.generations;
  arguments.limit = options.limit;
  arguments.ids = options.ids;
  arguments.loop = options.loop;
  return run_draw(arguments, out, err);
}

}  // namespace

int usage_error(std::ostream& err, const std::string& message) {
  return report_usage_error(err, "pedinfo", message);
}

int run_pedinfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) return usage_error(err, "a command is needed");
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h") {
    out << kUsage;
    return kNothingToReport;
  }
  if (command == "--version") {
    out << version_line("pedinfo");
    return kNothingToReport;
  }
  const bool check = command == "check";
  const bool dump = command == "dump";
  const bool draw = command == "draw";
  const bool find = command == "find";
  if (!check && !dump && !draw && !find)
    return usage_error(err, "unknown command '" + command + "'");
  const std::span<const OptionRule> rules = draw   ? std::span<const OptionRule>(kDrawOptions)
                                            : find ? std::span<const OptionRule>(kFindOptions)
                                                   : std::span<const OptionRule>(kCheckOptions);
  const Arguments given =
      read_arguments(std::span(arguments).subspan(1), CommandLineRules{.options = rules});
  switch (given.request) {
    case Arguments::Request::kHelp:
      out << (check ? kCheckUsage : dump ? kDumpUsage : draw ? kDrawUsage : kFindUsage);
      return kNothingToReport;
    case Arguments::Request::kVersion:
      out << version_line("pedinfo");
      return kNothingToReport;
    case Arguments::Request::kRun:
      break;
  }
  Options options;
  const size_t most_positional = find ? given.operands.size() : 1;
  if (auto problem = read_options(given, command, most_positional, &options)) {
    return usage_error(err, *problem);
  }
  if (check) return run_check(options, out, err);
  if (dump) return run_dump(options, out, err);
  if (find) return run_find(options, out, err);
  return run_draw_options(options, out, err);
}

}  // namespace pedpeel::pedinfo
