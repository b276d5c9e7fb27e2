#include "tools/pedinfo/check.h"

#include <algorithm>

#include "pedigree/engine.h"
#include "pedigree/family_records.h"
#include "records/limits.h"
#include "records/run_files.h"
#include "tools/pedinfo/data_checks.h"
#include "tools/pedinfo/json_writer.h"
#include "tools/pedinfo/pedigree_analysis.h"
#include "tools/pedinfo/population_index.h"

namespace pedpeel::pedinfo {

namespace {

std::string counted(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

Finding at_family(const PopulationIndex& index, const PedigreeAnalysis& analysis, int32_t f,
                  const char* kind) {
  const LoopStep family = index.family(analysis, f);
  Finding finding = family.row != 0 ? index.at_row(family.row)
                                    : index.at(index.input().PEDFILE, 0, analysis.pedigree, 0);
  finding.kind = kind;
  finding.severity = Severity::kError;
  return finding;
}

Finding at_pedigree(const PopulationIndex& index, int p, const char* kind) {
  Finding finding =
      index.at(index.input().PEDFILE, index.input().PED_LINE[index.first_row(p)], p, 0);
  finding.kind = kind;
  finding.severity = Severity::kError;
  return finding;
}

void add_loop_findings(const PopulationIndex& index, const PedigreeAnalysis& analysis,
                       std::vector<Finding>* findings) {
  const int p = analysis.pedigree;
  Finding left = at_pedigree(index, p, "loop");
  left.message = "loop: neither pass can take the " +
                 counted(static_cast<int64_t>(analysis.left.size()), "family", "families") +
                 " left:";
  left.steps.reserve(analysis.left.size());
  const char* separator = " ";
  for (int32_t f : analysis.left) {
    left.steps.push_back(index.family(analysis, f));
    left.message += separator;
    append_family(&left.message, left.steps.back(), index.ids());
    separator = ", ";
  }
  left.message += "; pedpeel reports the pedigree in def.err and ends there";
  findings->push_back(std::move(left));

  if (analysis.loop.empty()) {
    Finding none = at_pedigree(index, p, "loop-path");
    none.message =
        "the families left hold no loop: pedpeel hands the same family back to simple peeling "
        "again and again (an ID that is a child in two families, or ID 0 both as a child and as "
        "a second parent)";
    findings->push_back(std::move(none));
    return;
  }
  std::vector<LoopStep> steps;
  int64_t individuals = 0;
  for (const LoopNode& node : analysis.loop) {
    if (node.is_family) {
      steps.push_back(index.family(analysis, node.value));
    } else {
      steps.push_back(index.individual(p, static_cast<int16_t>(node.value)));
      ++individuals;
    }
  }
  // Start at the individual that comes first in the pedigree file.
  size_t start = 0;
  for (size_t k = 0; k < steps.size(); k += 2) {
    const int32_t line = steps[k].line;
    if (line != 0 && (steps[start].line == 0 || line < steps[start].line)) start = k;
  }
  std::rotate(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start), steps.end());
  const LoopStep& first = steps.front();
  Finding path = first.line != 0 ? index.at_row(first.row) : at_pedigree(index, p, "loop-path");
  path.kind = "loop-path";
  path.severity = Severity::kError;
  path.message = "shortest loop (" + counted(individuals, "individual", "individuals") + ", " +
                 counted(static_cast<int64_t>(steps.size()) - individuals, "family", "families") +
                 "):";
  separator = " ";
  for (const LoopStep& step : steps) {
    path.message += separator + describe_step(step, index.ids());
    separator = ", ";
  }
  path.message += ", back to ID " + index.id_text(p, first.id);
  path.steps = std::move(steps);
  findings->push_back(std::move(path));
}

void add_stop_findings(const PopulationIndex& index, const PedigreeAnalysis& analysis,
                       std::vector<Finding>* findings) {
  const std::string quoted = "\"" + std::string(stop_message(analysis.stop_reason)) + "\"";
  const int p = analysis.pedigree;
  if (analysis.stop_reason == StopReason::kTooManyLoopHeadChildren) {
    for (int32_t f : analysis.left) {
      const size_t children = analysis.families.children(f).size();
      if (children <= static_cast<size_t>(kMaxLoopHeadChildren)) continue;
      Finding finding = at_family(index, analysis, f, "capacity-stop");
      const Families& families = analysis.families;
      finding.message = "the family of " + index.id_text(p, families.first_parent(f)) + " and " +
                        index.id_text(p, families.second_parent(f)) + " has " +
                        std::to_string(children) + " children: pedpeel stops with " + quoted +
                        " when the loop resolution pass reaches it";
      findings->push_back(std::move(finding));
    }
    return;
  }
  if (!analysis.taken.empty() && analysis.taken.back().itype == kLoopHead) {
    const int32_t f = analysis.taken.back().family;
    Finding finding = at_family(index, analysis, f, "stop");
    finding.message = "pedpeel takes " + describe_family(index.family(analysis, f), index.ids()) +
                      " as a loop head and stops with " + quoted +
                      ": a mating of its children has both members among its parents";
    findings->push_back(std::move(finding));
    return;
  }
  Finding finding = at_pedigree(index, p, "stop");
  finding.message = "pedpeel stops with " + quoted;
  findings->push_back(std::move(finding));
}

// Runs the passes on every pedigree with one engine. pedpeel itself ends at the first loop
// or stop; the later pedigrees are still checked. The families pedpeel takes before it
// ends go into record tables as in its run, which raise the member-entry stop.
void check_passes(const PopulationIndex& index, std::vector<Finding>* findings) {
  std::unique_ptr<PeelingEngine> engine = make_production_engine();
  RecordTables records;
  bool pedpeel_ended = false;
  for (int p = 1; p <= index.NPED(); ++p) {
    const PedigreeAnalysis analysis = analyse_pedigree(index.population(), p, *engine);
    for (const TakenFamily& family : analysis.taken) {
      if (pedpeel_ended) break;
      try {
        append_family_record(records, {p, family.members, family.itype, family.iway, 0});
      } catch (const RunStop& stop) {
        Finding finding = at_family(index, analysis, family.family, "capacity-stop");
        finding.message = "the record of this family would take MEMBERS past " +
                          std::to_string(kMaxMemberEntries) + " entries: pedpeel stops with \"" +
                          std::string(stop_message(stop.reason)) + "\"";
        findings->push_back(std::move(finding));
        pedpeel_ended = true;
      }
    }
    if (analysis.end != PassesEnd::kDone) pedpeel_ended = true;
    if (analysis.end == PassesEnd::kLoop) add_loop_findings(index, analysis, findings);
    if (analysis.end == PassesEnd::kStop) add_stop_findings(index, analysis, findings);
  }
}

// "original": the original id of `id`, when `ids` knows it.
void write_original(JsonWriter& json, const OriginalIds* ids, int16_t iped, int16_t id) {
  const std::string* original = ids != nullptr ? ids->find(iped, id) : nullptr;
  if (original == nullptr) return;
  json.key("original");
  json.value(*original);
  if (const std::string* copy_of = ids->copy_of(iped, id)) {
    json.key("copy_of");
    json.value(*copy_of);
  }
}

void write_step(JsonWriter& json, const LoopStep& step, const OriginalIds* ids) {
  json.begin_object();
  if (step.family != 0) {
    json.key("family");
    json.value(step.family);
    json.key("first_parent");
    json.value(step.id);
    json.key("second_parent");
    json.value(step.second);
    json.key("children");
    json.integers(step.children);
  } else {
    json.key("id");
    json.value(step.id);
    json.key("ini_id");
    if (step.row != 0) {
      json.value(step.ini_id);
    } else {
      json.null();
    }
    write_original(json, ids, step.iped, step.id);
  }
  json.key("line");
  json.value(step.line);
  json.end_object();
}

}  // namespace

std::optional<InputFailure> check_directory(const std::string& directory, CheckReport* report,
                                            const OriginalIds* ids) {
  report->directory = directory;
  report->ids = ids;
  if (auto failure = read_input_files(directory, &report->input)) return failure;
  std::vector<Finding>& findings = report->findings;
  findings = report->input.findings;
  if (report->input.analysable) {
    const PopulationIndex index(report->input, ids);
    for (Finding& finding : findings) finding = index.located(finding);
    check_counts_and_races(index, &findings);
    check_pedigree_numbers(index, &findings);
    check_identifiers(index, &findings);
    check_ini_ids(index, &findings);
    check_ancestry(index, &findings);
    check_passes(index, &findings);
  }
  sort_findings(findings, report->input.PEDFILE, report->input.BLOODFILE);
  for (const Finding& finding : findings) {
    (finding.severity == Severity::kError ? report->errors : report->warnings) += 1;
  }
  return std::nullopt;
}

void write_check_text(const CheckReport& report, std::ostream& out) {
  for (const Finding& finding : report.findings) {
    out << format_finding(finding, report.ids) << '\n';
  }
  if (report.findings.empty()) {
    out << "no problems\n";
    return;
  }
  out << counted(static_cast<int64_t>(report.findings.size()), "problem", "problems") << ": "
      << counted(report.errors, "error", "errors") << ", "
      << counted(report.warnings, "warning", "warnings") << '\n';
}

void write_check_json(const CheckReport& report, std::ostream& out) {
  JsonWriter json(out);
  write_check_object(report, json);
}

void write_check_object(const CheckReport& report, JsonWriter& json) {
  json.begin_object();
  json.key("directory");
  json.value(report.directory);
  json.key("control_file");
  json.value(kControlFile);
  json.key("pedigree_file");
  json.value(report.input.PEDFILE);
  json.key("blood_file");
  json.value(report.input.BLOODFILE);
  json.key("findings");
  json.begin_array();
  for (const Finding& finding : report.findings) {
    json.begin_object();
    json.key("file");
    json.value(finding.file);
    json.key("line");
    json.value(finding.line);
    json.key("severity");
    json.value(finding.severity == Severity::kError ? "error" : "warning");
    json.key("kind");
    json.value(finding.kind);
    if (finding.row != 0 && (!finding.row_read || finding.pedigree == 0)) {
      json.key("row");
      json.value(finding.row);
    } else if (finding.pedigree != 0) {
      json.key("pedigree");
      json.value(finding.pedigree);
      json.key("iped");
      json.value(finding.iped);
      if (finding.row != 0) {
        json.key("row");
        json.value(finding.row);
        json.key("id");
        json.value(finding.id);
        json.key("ini_id");
        json.value(finding.ini_id);
        write_original(json, report.ids, finding.iped, finding.id);
      }
    }
    json.key("message");
    json.value(finding.message);
    if (!finding.steps.empty()) {
      json.key(finding.kind == "loop" ? "families_left" : "loop");
      json.begin_array();
      for (const LoopStep& step : finding.steps) write_step(json, step, report.ids);
      json.end_array();
    }
    json.end_object();
  }
  json.end_array();
  json.key("problems");
  json.value(static_cast<int64_t>(report.findings.size()));
  json.key("errors");
  json.value(report.errors);
  json.key("warnings");
  json.value(report.warnings);
  json.end_object();
}

}  // namespace pedpeel::pedinfo
