#include "tools/pedprep/pedprep.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "driver/command_line.h"
#include "pedigree/input_writer.h"
#include "records/limits.h"
#include "records/whole_file.h"
#include "tools/pedprep/animals.h"
#include "tools/pedprep/breed_fractions.h"
#include "tools/pedprep/breeds.h"
#include "tools/pedprep/cutting.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/long_ids.h"
#include "tools/pedprep/loop_warnings.h"
#include "tools/pedprep/mend.h"
#include "tools/pedprep/output_dir.h"
#include "tools/pedprep/packing.h"
#include "tools/pedprep/pedigrees.h"
#include "tools/pedprep/run_output.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {

namespace {

constexpr std::string_view kUsage =
    "usage: pedprep INPUT [--format csv|tsv|fam] [--fractions COL[,COL...]] [--mend]\n"
    "               [--id COL] [--sire COL] [--dam COL] [--sex COL] [--family COL]\n"
    "               [--race COL] [--born COL] [--unknown-race NAME[,NAME...]]\n"
    "               [--races FILE] [--sex-codes MALE,FEMALE] [--no-cut] --out DIR\n"
    "               [--force]\n"
    "       pedprep --help | -h | --version\n"
    "\n"
    "Reads a population from INPUT, checks it, completes it and writes it into DIR as runs\n"
    "of whole pedigrees that pedpeel takes: DIR/runs.txt lists the run directories, each\n"
    "with input1.dat, pedigree.dat, blood.dat and ids.tsv (its rows mapped back to INPUT).\n"
    "\n"
    "INPUT is a table with a header row, separated by commas, semicolons or tabs (the header\n"
    "line tells which); or a PLINK .fam file (FID IID PAT MAT SEX PHENO). The columns are\n"
    "found by the names herd-books use (id or animal, sire or father, dam or mother, sex,\n"
    "pedigree/family/herd, race or breed, born or birthyear), or named by the options below.\n"
    "A missing parent is empty, 0, NA or '.'. A race column of names numbers the breeds by\n"
    "their animals; with more than one race, blood.dat gets the fractions that follow from\n"
    "the pedigree.\n"
    "\n"
    "What one run cannot take is cut with copies of animals (a founder row with the\n"
    "animal's id, put in its place as a parent in one family): a parent in another family,\n"
    "loops pedpeel cannot take apart, pedigrees too large for a run. DIR/cuts.tsv lists\n"
    "the pedigrees cut; ids.tsv marks each copy and names the row it copies.\n"
    "\n"
    "Options:\n"
    "  --format F      csv, tsv or fam (default: .fam by the name, else a table whose\n"
    "                  separator the header tells)\n"
    "  --fractions C   the race-fraction columns, comma-separated, in order (at most 10)\n"
    "  --id, --sire, --dam, --sex, --family, --race, --born COL\n"
    "                  the column that holds the id, the sire, ... (any case)\n"
    "  --unknown-race N  breed names that mean an unknown race, comma-separated\n"
    "  --races FILE    fix the race codes by a races.tsv of an earlier run\n"
    "  --sex-codes M,F the words for male and female besides M/F, male/female, bull/cow\n"
    "  --mend          repair what dropping a parent link or a row repairs, with a warning\n"
    "                  for each, listed in DIR/mended.tsv\n"
    "  --no-cut        make no copies: a parent in another family and a pedigree too\n"
    "                  large for a run are errors; a pedigree pedpeel cannot take apart\n"
    "                  gets a run of its own, after all the others\n"
    "  --out DIR       the output directory; an existing one must be empty\n"
    "  --force         replace an existing DIR that is not empty\n"
    "  -h, --help      print this text and exit\n"
    "  --version       print the version and exit\n"
    "  --              end of the options: the next argument is INPUT, even if it starts\n"
    "                  with '-'\n"
    "An option's value follows it as the next argument or after '=': --out=DIR.\n"
    "\n"
    "Findings go to standard error as FILE:LINE: error: message (or warning:), the\n"
    "summary to standard output;\n"
    "DIR/warnings.tsv lists every warning, DIR/races.tsv the races.\n"
    "Exit status: 0 runs written (warnings allowed); 1 input refused or a file that cannot\n"
    "be read or written, nothing written; 2 usage error.\n";

struct Options {
  std::string input;
  std::optional<Format> format;
  ReadOptions read;
  RaceOptions races;
  std::string out;
  bool force = false;
  bool mend = false;
  bool no_cut = false;
};

// The names of a comma-separated option value; the problem when one is empty.
std::optional<std::string> split_names(const std::string& flag, const std::string& value,
                                       std::vector<std::string>* names) {
  names->clear();
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    const std::string name =
        value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name.empty()) return flag + " holds an empty name";
    names->push_back(name);
    if (comma == std::string::npos) return std::nullopt;
    start = comma + 1;
  }
}

// The column option `flag` names, or nullptr when it names none.
std::string* column_option(const std::string& flag, ColumnNames& columns) {
  if (flag == "--id") return &columns.id;
  if (flag == "--sire") return &columns.sire;
  if (flag == "--dam") return &columns.dam;
  if (flag == "--sex") return &columns.sex;
  if (flag == "--family") return &columns.family;
  if (flag == "--race") return &columns.race;
  if (flag == "--born") return &columns.born;
  return nullptr;
}

// The options pedprep takes; all but three take a value.
constexpr OptionRule kOptions[] = {
    {"--format", true}, {"--fractions", true},    {"--id", true},     {"--sire", true},
    {"--dam", true},    {"--sex", true},          {"--family", true}, {"--race", true},
    {"--born", true},   {"--unknown-race", true}, {"--races", true},  {"--sex-codes", true},
    {"--out", true},    {"--force", false},       {"--mend", false},  {"--no-cut", false},
};

// Reads the value of option `flag` into `options`; the problem when it cannot.
std::optional<std::string> take_value(const std::string& flag, const std::string& value,
                                      Options* options) {
  if (std::string* column = column_option(flag, options->read.columns)) {
    if (value.empty()) return flag + " needs a column name";
    *column = value;
  } else if (flag == "--format") {
    options->format = parse_format(value);
    if (!options->format) return "--format must be csv, tsv or fam, not '" + value + "'";
  } else if (flag == "--fractions") {
    std::vector<std::string>& fractions = options->read.fractions;
    if (split_names(flag, value, &fractions)) return "--fractions holds an empty column name";
    if (fractions.size() > static_cast<size_t>(kMaxFractions)) {
      return "--fractions names " + std::to_string(fractions.size()) + " columns; at most " +
             std::to_string(kMaxFractions);
    }
  } else if (flag == "--unknown-race") {
    if (auto problem = split_names(flag, value, &options->races.unknown_names)) return problem;
  } else if (flag == "--races") {
    if (value.empty()) return "--races needs a file";
    options->races.races_file = value;
  } else if (flag == "--sex-codes") {
    std::vector<std::string> words;
    if (auto problem = split_names(flag, value, &words)) return problem;
    if (words.size() != 2) return "--sex-codes needs two words, MALE,FEMALE, not '" + value + "'";
    options->read.sex_words = {words[0], words[1]};
  } else if (flag == "--out") {
    if (value.empty()) return "--out needs a directory";
    options->out = value;
  } else {
    return "unknown option '" + flag + "'";
  }
  return std::nullopt;
}

// Reads the command line into `options`; the problem when it cannot.
std::optional<std::string> parse_options(std::span<const std::string> arguments, Options* options) {
  const Arguments given = read_arguments(arguments, {kOptions});
  if (!given.error.empty()) return given.error;
  if (given.operands.size() > 1) {
    return "one INPUT only (" + given.operands[0] + " and " + given.operands[1] + " given)";
  }
  const bool have_input = !given.operands.empty();
  if (have_input) options->input = given.operands[0];
  for (const GivenOption& option : given.options) {
    if (option.name == "--force") {
      options->force = true;
    } else if (option.name == "--mend") {
      options->mend = true;
    } else if (option.name == "--no-cut") {
      options->no_cut = true;
    } else if (auto problem = take_value(std::string(option.name), option.value, options)) {
      return problem;
    }
  }
  if (!have_input) return "an INPUT file is needed";
  if (options->out.empty()) return "--out DIR is needed";
  if (!options->format) {
    options->format = format_of_file(options->input);
    if (!options->format) {
      return "cannot tell the format of " + options->input +
             " from its name; give --format csv, tsv or fam";
    }
  }
  if (*options->format == Format::kFam) {
    if (!options->read.fractions.empty()) return "--fractions needs a CSV or TSV input";
    const ColumnNames& columns = options->read.columns;
    if (!columns.id.empty() || !columns.sire.empty() || !columns.dam.empty() ||
        !columns.sex.empty() || !columns.family.empty() || !columns.race.empty() ||
        !columns.born.empty()) {
      return "a .fam file has fixed columns: --id, --sire, --dam, --sex, --family, --race and "
             "--born need a table";
    }
    if (!options->races.races_file.empty() || !options->races.unknown_names.empty()) {
      return "a .fam file has no race column: --races and --unknown-race need a table";
    }
  }
  return std::nullopt;
}

// The whole file; false (with `*error` naming it) when it cannot be read, or not held.
bool read_file(const std::string& path, std::vector<char>* bytes, std::string* error) {
  *error = describe_file_error(path, read_whole_file(path, bytes));
  return error->empty();
}

// Writes `bytes` as the whole file `path`; what went wrong, naming it, or an empty string.
std::string write_file(const std::string& path, std::string_view bytes) {
  return describe_file_error(path, write_whole_file(path, bytes));
}

int refuse(const Report& report, std::ostream& err) {
  report.write(err);
  err << "pedprep: " << report.errors() << (report.errors() == 1 ? " error" : " errors");
  if (report.mendable_errors() > 0) {
    err << " ("
        << (report.mendable_errors() == report.errors() ? "all"
                                                        : std::to_string(report.mendable_errors()))
        << " of them --mend repairs)";
  }
  if (report.warnings() > 0) {
    err << ", " << report.warnings() << (report.warnings() == 1 ? " warning" : " warnings");
  }
  err << "; nothing written\n";
  return kExitRefused;
}

// Writes every run into the staging directory and commits it; what went wrong, or empty.
// What a run of pedprep writes besides the runs.
struct Extras {
  const Blood& blood;
  const LongIds& long_ids;
  const Races& races;
  bool has_races;          // the input has a race column: races.tsv is written
  const Repairs* repairs;  // with --mend: mended.tsv is written
  const Report& report;
  const CutSummary& cuts;  // with copies: cuts.tsv is written
  bool ids_hold_tilde;     // some id may hold '~' (the input holds one somewhere)
};

std::string write_output(const Options& options, const Animals& animals, const Pedigrees& pedigrees,
                         const std::vector<Run>& runs, const Extras& extras) {
  StagingDir staging(options.out);
  if (!staging.ok()) return staging.error();
  std::string runs_list;
  const Placement placement = place_pedigrees(pedigrees, runs);
  RunContents contents;
  for (size_t r = 0; r < runs.size(); ++r) {
    const std::string name = run_directory_name(r);
    const std::string directory = staging.path() + "/" + name;
    if (::mkdir(directory.c_str(), 0777) != 0) return directory + ": " + std::strerror(errno);
    run_contents(extras.long_ids, animals, pedigrees, extras.blood, runs, placement, r,
                 extras.ids_hold_tilde, &contents);
    std::string error = write_input_files(directory, contents.records, extras.blood.NRACE);
    if (error.empty())
      error = write_file(directory + "/" + ids_tsv::kFileName, contents.ids.text());
    if (!error.empty()) return error;
    runs_list += name;
    runs_list += '\n';
  }
  std::string error = write_file(staging.path() + "/" + kRunsFile, runs_list);
  if (error.empty()) {
    error = write_file(staging.path() + "/" + kWarningsFile, extras.report.warnings_tsv());
  }
  if (error.empty() && extras.repairs != nullptr) {
    error = write_file(staging.path() + "/" + kMendedFile, mended_tsv(*extras.repairs));
  }
  if (error.empty() && extras.has_races) {
    error = write_file(staging.path() + "/" + kRacesFile, races_tsv(extras.races));
  }
  if (error.empty() && extras.cuts.copies() > 0) {
    error = write_file(staging.path() + "/" + kCutsFile, cuts_file(animals, extras.cuts));
  }
  if (!error.empty()) return error;
  if (!staging.commit()) return staging.error();
  return {};
}

std::string plural(int64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The copies by cause, the animals copied and the cyclomatic number of the pedigrees cut
// for loops.
void write_cut_summary(const CutSummary& cuts, const std::string& dir, std::ostream& out) {
  int64_t cyclomatic = 0;
  int64_t cut_for_loops = 0;
  for (const CutPedigree& cut : cuts.pedigrees) {
    if (cut.loop_copies == 0) continue;
    cyclomatic += cut.cyclomatic;
    ++cut_for_loops;
  }
  out << plural(cuts.copies(), "copy", "copies") << " of "
      << plural(cuts.animals_copied, "animal", "animals") << ": " << cuts.loop_copies
      << " for loops (" << plural(cut_for_loops, "pedigree", "pedigrees")
      << " of cyclomatic number " << cyclomatic << "), " << cuts.herd_copies << " for herds, "
      << cuts.size_copies << " for size; listed in " << dir << (dir.ends_with('/') ? "" : "/")
      << kCutsFile << '\n';
}

}  // namespace

int run_pedprep(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  switch (read_arguments(arguments, {kOptions}).request) {
    case Arguments::Request::kHelp:
      out << kUsage;
      return kExitDone;
    case Arguments::Request::kVersion:
      out << version_line("pedprep");
      return kExitDone;
    case Arguments::Request::kRun:
      break;
  }
  Options options;
  if (auto problem = parse_options(arguments, &options)) {
    return report_usage_error(err, "pedprep", *problem);
  }
  if (auto refusal = refuse_output_dir(options.out, options.force, options.input)) {
    err << "pedprep: " << *refusal << '\n';
    return kExitRefused;
  }

  InputTable table;
  std::string error;
  if (!read_file(options.input, &table.text, &error)) {
    err << "pedprep: cannot read " << error << '\n';
    return kExitRefused;
  }
  // Whether an id may hold '~' (run_contents): one look through the whole input.
  const bool ids_hold_tilde =
      !table.text.empty() && std::memchr(table.text.data(), '~', table.text.size()) != nullptr;
  if (!options.races.races_file.empty()) {
    std::vector<char> bytes;
    if (!read_file(options.races.races_file, &bytes, &error)) {
      err << "pedprep: cannot read " << error << '\n';
      return kExitRefused;
    }
    if (auto problem =
            read_races_file(std::string_view(bytes.data(), bytes.size()), &options.races.fixed)) {
      err << "pedprep: " << options.races.races_file << ":" << *problem << '\n';
      return kExitRefused;
    }
  }
  Report report(options.input);
  read_table(*options.format, options.read, table, report);
  const Races races = code_races(table, options.races, report);
  Repairs repairs;
  Animals animals =
      complete_animals(table, report, options.mend ? &repairs : nullptr, !options.no_cut);
  // The rows are in the animals now: they go, and of the input's bytes all but the
  // animals' text; their memory serves the tables to come (assigning {} would keep it:
  // that is an empty initializer list).
  const size_t rows_read = table.rows.size();
  keep_animal_text(table, animals);
  table.born = std::vector<BirthDate>();
  if (!options.no_cut) reserve_copies(animals);
  Pedigrees pedigrees = find_pedigrees(animals, report);
  if (report.errors() > 0) return refuse(report, err);
  // The fractions come before the copies: a copy carries those of the animal it copies.
  Blood blood = table.fraction_count > 0 ? blood_from_rows(table, animals)
                                         : blood_from_pedigree(animals, pedigrees, races);
  CutSummary cuts;
  if (!options.no_cut && table.has_families) {
    copy_parents_across_families(animals, cuts);
    if (cuts.herd_copies > 0) pedigrees = find_pedigrees(animals, report);
  }
  std::vector<uint8_t> alone;
  if (options.no_cut) {
    alone = pedigrees_pedpeel_refuses(animals, pedigrees);
  } else {
    pedigrees = cut_pedigrees(animals, std::move(pedigrees), RunLimits{}, report, cuts);
  }
  const std::vector<Run> runs = pack_runs(pedigrees, animals, report, RunLimits{}, alone);
  if (report.errors() > 0) return refuse(report, err);
  if (runs.empty()) {
    report.error(1, "no animal to write");
    return refuse(report, err);
  }
  const LongIds long_ids = find_long_ids(animals);
  warn_of_long_ids(animals, long_ids, report);
  if (options.no_cut) warn_of_loops(animals, pedigrees, runs, report);
  error = write_output(options, animals, pedigrees, runs,
                       {blood, long_ids, races, !table.race_column.empty(),
                        options.mend ? &repairs : nullptr, report, cuts, ids_hold_tilde});
  if (!error.empty()) {
    report.write(err);
    err << "pedprep: cannot write " << error << "; nothing written\n";
    return kExitRefused;
  }
  const std::string out_dir = options.out + (options.out.ends_with('/') ? "" : "/");
  report.write(err, out_dir + kWarningsFile);
  out << plural(static_cast<int64_t>(rows_read), "animal", "animals") << " read, "
      << plural(animals.parents_named + animals.parents_added, "parent", "parents") << " added ("
      << animals.parents_named << " named only as parents, " << animals.parents_added
      << " for rows with one known parent)";
  if (options.mend) {
    out << "; " << plural(static_cast<int64_t>(repairs.list.size()), "repair", "repairs")
        << ", listed in " << out_dir << kMendedFile;
  }
  out << '\n';
  out << plural(static_cast<int64_t>(pedigrees.list.size()), "pedigree", "pedigrees") << " in "
      << plural(static_cast<int64_t>(runs.size()), "run", "runs") << ", listed in " << out_dir
      << kRunsFile;
  if (report.warnings() > 0) out << "; " << plural(report.warnings(), "warning", "warnings");
  out << '\n';
  if (cuts.copies() > 0) write_cut_summary(cuts, options.out, out);
  return kExitDone;
}

}  // namespace pedpeel::pedprep
