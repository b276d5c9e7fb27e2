#include "tools/pedinfo/pedinfo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "driver/command_line.h"
#include "tools/pedinfo/check.h"
#include "tools/pedinfo/draw.h"
#include "tools/pedinfo/dump.h"
#include "tools/pedinfo/iwa_reader.h"

namespace pedpeel::pedinfo {

namespace {

constexpr std::string_view kUsage =
    "usage: pedinfo COMMAND [ARGUMENTS]\n"
    "\n"
    "Looks into pedpeel's files without changing them.\n"
    "\n"
    "  check [DIR] [--json] [--ids FILE]   report what is wrong in the population in DIR\n"
    "  dump FILE [--json] [--ids FILE]     decode an iway.IWA file\n"
    "  draw [DIR] --pedigree P             write pedigree P as a Graphviz DOT graph\n"
    "\n"
    "\"pedinfo COMMAND --help\" describes a command.\n"
    "Exit status: 0 nothing to report; 1 problems reported; 2 usage or I/O error.\n";

constexpr std::string_view kCheckUsage =
    "usage: pedinfo check [DIR] [--json] [--ids FILE]\n"
    "\n"
    "Reads input1.dat in DIR (default: the current directory) and the pedigree and BLOOD\n"
    "files it names, with pedpeel's own readers and rules, and writes nothing. Reports every\n"
    "problem found as one line\n"
    "  FILE:LINE: pedigree P (IPED n), ID i \"INI_ID\": message\n"
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
    "  --json       the same findings as one JSON document; strings hold one character per\n"
    "               byte (bytes from 0x80 as U+0080..U+00FF)\n"
    "  --ids FILE   an ids.tsv as pedprep writes it (tab-separated, a header line naming at\n"
    "               least the columns iped, id, family, original and source, then one line\n"
    "               per row): every ID is shown with its original id, as 13 [HB-4711]\n"
    "\n"
    "Exit status: 0 no problems; 1 problems reported; 2 usage error or a file that cannot\n"
    "be opened or named.\n";

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
    "usage: pedinfo draw [DIR] --pedigree P\n"
    "\n"
    "Writes pedigree P (1 for the first run of rows with one IPED, as pedpeel numbers them)\n"
    "of the population in DIR (default: the current directory) as a Graphviz DOT graph on\n"
    "standard output. Individuals are boxes (SEX 1), ellipses (SEX 2) or diamonds (other\n"
    "codes, and dashed for a parent without a row); each family is a small node between its\n"
    "parents and children, labelled \"N: ITYPE k\": taken N-th in the pedigree as a record\n"
    "of kind k. Families of a loop pedpeel cannot take apart are red, and one shortest loop\n"
    "through them has bold red edges. Render with e.g. \"dot -Tsvg\".\n"
    "\n"
    "Exit status: 0 graph written; 1 the files do not read cleanly (see pedinfo check);\n"
    "2 usage error or a file that cannot be opened.\n";

// The bytes of a file; false with errno set when it cannot be read.
bool read_whole_file(const std::string& name, std::string* bytes) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1 << 16];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return false;
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool is_help(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

int usage_error(std::ostream& err, const std::string& message) {
  err << "pedinfo: " << message << " (see pedinfo --help)\n";
  return kUsageOrIoError;
}

// The arguments of a subcommand: one positional argument at most, --json, --ids FILE,
// --pedigree P.
struct Options {
  std::optional<std::string> positional;
  bool json = false;
  std::optional<std::string> ids;
  std::optional<std::string> pedigree;
  bool help = false;
};

std::optional<std::string> parse_options(const std::vector<std::string>& arguments, bool allow_json,
                                         bool allow_pedigree, Options* options) {
  for (size_t k = 1; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    if (is_help(argument)) {
      options->help = true;
    } else if (allow_json && argument == "--json") {
      options->json = true;
    } else if (allow_json && argument == "--ids") {
      if (k + 1 == arguments.size()) return "--ids needs the name of an ids.tsv file";
      options->ids = arguments[++k];
    } else if (allow_json && argument.starts_with("--ids=")) {
      options->ids = argument.substr(6);
    } else if (allow_pedigree && argument == "--pedigree") {
      if (k + 1 == arguments.size()) return "--pedigree needs a pedigree number";
      options->pedigree = arguments[++k];
    } else if (allow_pedigree && argument.starts_with("--pedigree=")) {
      options->pedigree = argument.substr(11);
    } else if (argument.starts_with("-") && argument != "-") {
      return arguments[0] + ": unknown option " + argument;
    } else if (options->positional) {
      return arguments[0] + ": unexpected argument " + argument;
    } else {
      options->positional = argument;
    }
  }
  return std::nullopt;
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
  CheckReport report;
  if (auto failure = check_directory(options.positional.value_or("."), &report, shown)) {
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
  if (!options.positional) return usage_error(err, "dump needs the name of an iway.IWA file");
  const std::string& name = *options.positional;
  std::string bytes;
  if (!read_whole_file(name, &bytes)) {
    err << "pedinfo dump: " << name << ": " << std::strerror(errno) << '\n';
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

int run_draw(const Options& options, std::ostream& out, std::ostream& err) {
  if (!options.pedigree) return usage_error(err, "draw needs --pedigree P");
  int pedigree = 0;
  const std::string& text = *options.pedigree;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pedigree);
  if (error != std::errc() || end != text.data() + text.size() || pedigree < 1) {
    return usage_error(err, "draw: --pedigree needs a number from 1, not \"" + text + "\"");
  }
  InputFiles input;
  const std::string directory = options.positional.value_or(".");
  if (auto failure = read_input_files(directory, &input)) {
    err << "pedinfo draw: " << failure->message << '\n';
    return kUsageOrIoError;
  }
  if (input.read_failed() || !input.analysable) {
    for (const Finding& finding : input.findings) {
      if (finding.severity != Severity::kError) continue;
      err << "pedinfo draw: " << format_finding(finding) << " (run pedinfo check)\n";
      break;
    }
    return kProblemsReported;
  }
  if (pedigree > input.population.NPED) {
    err << "pedinfo draw: " << input.PEDFILE << " holds " << input.population.NPED
        << (input.population.NPED == 1 ? " pedigree" : " pedigrees") << ", not " << pedigree
        << '\n';
    return kUsageOrIoError;
  }
  write_draw(input, pedigree, out);
  return kNothingToReport;
}

}  // namespace

int run_pedinfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  if (arguments.empty()) return usage_error(err, "a command is needed");
  const std::string& command = arguments[0];
  if (is_help(command)) {
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
  if (!check && !dump && !draw) return usage_error(err, "unknown command " + command);
  Options options;
  if (auto problem = parse_options(arguments, !draw, draw, &options)) {
    return usage_error(err, *problem);
  }
  if (options.help) {
    out << (check ? kCheckUsage : dump ? kDumpUsage : kDrawUsage);
    return kNothingToReport;
  }
  if (check) return run_check(options, out, err);
  if (dump) return run_dump(options, out, err);
  return run_draw(options, out, err);
}

}  // namespace pedpeel::pedinfo
