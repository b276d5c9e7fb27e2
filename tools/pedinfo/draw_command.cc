#include "tools/pedinfo/draw_command.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "tools/pedinfo/draw.h"
#include "tools/pedinfo/find.h"
#include "tools/pedinfo/pedinfo.h"
#include "tools/pedinfo/population_index.h"
#include "tools/pedinfo/run_list.h"

namespace pedpeel::pedinfo {

namespace {

// `text` as a whole number from `least` to `most`.
std::optional<int> number(const std::string& text, int least, int most) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < least || value > most) return std::nullopt;
  return value;
}

// The run of a runs directory that holds original id `original`: the run of its row that
// is not a copy, else of its first copy. Empty, with the message, when none holds it.
// *elsewhere counts its rows in the other runs.
std::string run_holding(const std::string& directory, const std::string& original,
                        size_t* elsewhere, std::string* problem) {
  FindReport report;
  if (auto failure = find_animals(directory, {original}, &report, false)) {
    *problem = *failure;
    return "";
  }
  // find lists the row that is not a copy first.
  const std::vector<FoundRow>& rows = report.animals[0].rows;
  if (!rows.empty()) {
    *elsewhere = static_cast<size_t>(std::count_if(
        rows.begin(), rows.end(), [&](const FoundRow& row) { return row.run != rows[0].run; }));
    return rows[0].run;
  }
  *problem = "no run of " + directory + " holds the id \"" + printable(original) + "\"";
  return "";
}

// What the request needs once the files are read: the pedigree, and for --around the
// centres. Returns a message for standard error when the options name nothing drawable.
std::optional<std::string> place_request(const DrawArguments& arguments,
                                         const PopulationIndex& index, DrawRequest* request) {
  const Population& population = index.population();
  const std::string& file = index.input().PEDFILE;
  if (!arguments.around) return std::nullopt;
  const std::string& wanted = *arguments.around;
  // The rows that stand for the animal: by original id with ids, else by ID.
  std::set<int> pedigrees;
  std::vector<int32_t> rows;
  for (int32_t i = 1; i < static_cast<int32_t>(population.ID.size()); ++i) {
    bool match = false;
    if (request->ids != nullptr) {
      const std::vector<IdsRow>& lines = request->ids->rows();
      match = static_cast<size_t>(i) <= lines.size() && lines[i - 1].original == wanted;
    } else {
      const std::optional<int> id = number(wanted, -32768, 32767);
      match = id && population.ID[i] == *id;
    }
    if (!match || index.pedigree_of(i) == 0) continue;
    if (request->pedigree != 0 && index.pedigree_of(i) != request->pedigree) continue;
    pedigrees.insert(index.pedigree_of(i));
    rows.push_back(i);
  }
  const std::string what =
      request->ids != nullptr ? "the id \"" + printable(wanted) + "\"" : "ID " + wanted;
  if (rows.empty()) {
    return file + " has no row for " + what +
           (request->pedigree != 0 ? " in pedigree " + std::to_string(request->pedigree) : "");
  }
  if (pedigrees.size() > 1) {
    return what + " is in " + std::to_string(pedigrees.size()) + " pedigrees of " + file +
           " (the first " + std::to_string(*pedigrees.begin()) + "): name one with --pedigree P" +
           (request->ids == nullptr ? ", or give an original id with --ids" : "");
  }
  request->pedigree = *pedigrees.begin();
  for (int32_t row : rows) {
    if (row == index.row_of(request->pedigree, population.ID[row])) {
      request->centres.push_back(population.ID[row]);
    }
  }
  // The animal's own row first, then its copies.
  const int16_t iped = index.iped(request->pedigree);
  auto is_copy = [&](int16_t id) {
    return request->ids != nullptr && request->ids->copy_of(iped, id) != nullptr;
  };
  std::stable_partition(request->centres.begin(), request->centres.end(),
                        [&](int16_t id) { return !is_copy(id); });
  const int16_t first = request->centres.front();
  if (request->ids == nullptr) {
    request->centre_text = "ID " + std::to_string(first);
    return std::nullopt;
  }
  request->centre_text = "ID " + std::to_string(first) + " [" + printable(wanted) + "]";
  const size_t copies = request->centres.size() - (is_copy(first) ? 0 : 1);
  if (copies != 0) {
    request->centre_text += " and its " + std::to_string(copies) +
                            (copies == 1 ? " copy" : " copies") + " in this pedigree";
  }
  return std::nullopt;
}

}  // namespace

int run_draw(const DrawArguments& arguments, std::ostream& out, std::ostream& err) {
  DrawRequest request;
  if (arguments.loop && arguments.around)
    return usage_error(err, "draw: --loop or --around, not both");
  if (!arguments.pedigree && !arguments.around) {
    return usage_error(err, "draw needs --pedigree P or --around ID");
  }
  if (arguments.generations && !arguments.around) {
    return usage_error(err, "draw: --generations goes with --around");
  }
  if (arguments.pedigree) {
    const std::optional<int> pedigree = number(*arguments.pedigree, 1, 32767);
    if (!pedigree) {
      return usage_error(
          err, "draw: --pedigree needs a number from 1, not \"" + *arguments.pedigree + "\"");
    }
    request.pedigree = *pedigree;
  } else {
    request.pedigree = 0;  // the pedigree of the animal drawn around
  }
  if (arguments.generations) {
    const std::optional<int> generations = number(*arguments.generations, 1, 1000);
    if (!generations) {
      return usage_error(err, "draw: --generations needs a number from 1 to 1000, not \"" +
                                  *arguments.generations + "\"");
    }
    request.generations = *generations;
  }
  if (arguments.limit) {
    const std::optional<int> limit = number(*arguments.limit, 1, 32767);
    if (!limit) {
      return usage_error(err, "draw: --limit needs a number of animals from 1 to 32767, not \"" +
                                  *arguments.limit + "\"");
    }
    request.limit = *limit;
  }
  if (arguments.loop) request.part = DrawRequest::Part::kLoop;
  if (arguments.around) request.part = DrawRequest::Part::kAround;

  // A runs directory: the run that holds the animal, with its ids.tsv.
  std::string directory = arguments.directory;
  size_t elsewhere = 0;  // rows of the animal in runs not drawn
  std::optional<std::string> ids_path = arguments.ids;
  if (is_runs_directory(directory)) {
    if (!arguments.around || arguments.ids) {
      return usage_error(err, "draw: " + directory +
                                  " holds runs; name a run directory, or draw --around an "
                                  "original id (each run's ids.tsv is used)");
    }
    std::string problem;
    const std::string run = run_holding(directory, *arguments.around, &elsewhere, &problem);
    if (run.empty()) {
      err << "pedinfo draw: " << problem << '\n';
      return kUsageOrIoError;
    }
    directory = path_in(directory, run);
    ids_path = path_in(directory, ids_tsv::kFileName);
  }
  OriginalIds ids;
  if (ids_path) {
    if (auto problem = ids.read(*ids_path)) {
      err << "pedinfo draw: " << *problem << '\n';
      return kUsageOrIoError;
    }
    request.ids = &ids;
  }

  InputFiles input;
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
  if (request.pedigree > input.population.NPED) {
    err << "pedinfo draw: " << input.PEDFILE << " holds " << input.population.NPED
        << (input.population.NPED == 1 ? " pedigree" : " pedigrees") << ", not " << request.pedigree
        << '\n';
    return kUsageOrIoError;
  }
  const PopulationIndex index(input, request.ids);
  if (auto problem = place_request(arguments, index, &request)) {
    err << "pedinfo draw: " << *problem << '\n';
    return kUsageOrIoError;
  }
  if (elsewhere != 0) {
    request.note = std::to_string(elsewhere) + (elsewhere == 1 ? " more row" : " more rows") +
                   " of it in other runs, not drawn: pedinfo find " + arguments.directory + " " +
                   *arguments.around;
  }
  write_draw(input, request, out);
  return kNothingToReport;
}

}  // namespace pedpeel::pedinfo
