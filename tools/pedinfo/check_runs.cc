#include "tools/pedinfo/check_runs.h"

#include <unistd.h>

#include <vector>

#include "tools/pedinfo/check.h"
#include "tools/pedinfo/json_writer.h"
#include "tools/pedinfo/pedinfo.h"
#include "tools/pedinfo/run_list.h"

namespace pedpeel::pedinfo {

namespace {

std::string counted(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What the runs checked so far add up to.
struct Totals {
  int64_t runs = 0;
  int64_t runs_with_problems = 0;
  int64_t unreadable = 0;  // runs, or their ids.tsv, that could not be read
  int64_t errors = 0;
  int64_t warnings = 0;
};

// The check of one run, its findings named relative to the runs directory. The ids it
// shows live in `ids`. False, with `*failure` set, when the run cannot be read at all.
bool check_one_run(const std::string& directory, const std::string& run, OriginalIds* ids,
                   CheckReport* report, std::string* failure, std::string* ids_problem) {
  const std::string path = path_in(directory, run);
  const OriginalIds* shown = run_ids(path, ids, ids_problem);
  if (std::optional<InputFailure> read = check_directory(path, report, shown)) {
    // Named from the runs directory, as the findings are.
    *failure =
        read->message.starts_with(path) ? run + read->message.substr(path.size()) : read->message;
    return false;
  }
  report->directory = run;
  for (Finding& finding : report->findings) finding.file = path_in(run, finding.file);
  return true;
}

std::string summary(const Totals& totals) {
  std::string text = counted(totals.runs, "run", "runs") + " checked: ";
  const int64_t problems = totals.errors + totals.warnings;
  if (problems == 0) {
    text += "no problems";
  } else {
    text += counted(problems, "problem", "problems") + " (" +
            counted(totals.errors, "error", "errors") + ", " +
            counted(totals.warnings, "warning", "warnings") + ") in " +
            counted(totals.runs_with_problems, "run", "runs");
  }
  if (totals.unreadable != 0) {
    text += "; " + counted(totals.unreadable, "run", "runs") + " could not be read in full";
  }
  return text;
}

}  // namespace

const OriginalIds* run_ids(const std::string& run, OriginalIds* ids, std::string* problem) {
  const std::string path = path_in(run, ids_tsv::kFileName);
  if (::access(path.c_str(), F_OK) != 0) return nullptr;
  if (std::optional<std::string> read_problem = ids->read(path)) {
    *problem = *read_problem;
    return nullptr;
  }
  return ids;
}

int check_runs(const std::string& directory, bool json, std::ostream& out, std::ostream& err) {
  std::vector<std::string> runs;
  if (std::optional<std::string> problem = read_run_list(directory, &runs)) {
    err << "pedinfo check: " << *problem << '\n';
    return kUsageOrIoError;
  }
  JsonWriter writer(out);
  if (json) {
    writer.begin_object();
    writer.key("directory");
    writer.value(directory);
    writer.key("runs");
    writer.begin_array();
  }
  Totals totals;
  for (const std::string& run : runs) {
    OriginalIds ids;
    CheckReport report;
    std::string failure;
    std::string ids_problem;
    const bool read = check_one_run(directory, run, &ids, &report, &failure, &ids_problem);
    ++totals.runs;
    if (!ids_problem.empty()) {
      err << "pedinfo check: " << ids_problem << " (run " << run << " checked without it)\n";
      ++totals.unreadable;
    }
    if (!read) {
      err << "pedinfo check: " << failure << '\n';
      if (ids_problem.empty()) ++totals.unreadable;
      if (json) {
        writer.begin_object();
        writer.key("directory");
        writer.value(run);
        writer.key("failure");
        writer.value(failure);
        writer.end_object();
      }
      continue;
    }
    totals.errors += report.errors;
    totals.warnings += report.warnings;
    if (!report.findings.empty()) ++totals.runs_with_problems;
    if (json) {
      write_check_object(report, writer);
    } else {
      for (const Finding& finding : report.findings) {
        out << format_finding(finding, report.ids) << '\n';
      }
    }
  }
  if (json) {
    writer.end_array();
    writer.key("runs_checked");
    writer.value(totals.runs);
    writer.key("runs_with_problems");
    writer.value(totals.runs_with_problems);
    writer.key("runs_not_read");
    writer.value(totals.unreadable);
    writer.key("problems");
    writer.value(totals.errors + totals.warnings);
    writer.key("errors");
    writer.value(totals.errors);
    writer.key("warnings");
    writer.value(totals.warnings);
    writer.end_object();
  } else {
    out << summary(totals) << '\n';
  }
  if (totals.unreadable != 0) return kUsageOrIoError;
  return totals.errors + totals.warnings != 0 ? kProblemsReported : kNothingToReport;
}

}  // namespace pedpeel::pedinfo
