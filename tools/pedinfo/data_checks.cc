#include "tools/pedinfo/data_checks.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <unordered_map>

namespace pedpeel::pedinfo {

namespace {

// Largest sum of fractions taken as 1: the fractions carry four decimals.
constexpr double kFractionSumLimit = 1.00005;

// Whether a row's own record was read whole from the pedigree file.
bool checkable(const PopulationIndex& index, int32_t row) {
  return index.input().PED_LINE[row] != 0 && index.input().ROW_READ[row];
}

std::string line_text(int32_t line) {
  return "line " + std::to_string(line);
}

Finding make(const PopulationIndex& index, int32_t row, const char* kind, Severity severity,
             std::string message) {
  Finding finding = index.at_row(row);
  finding.kind = kind;
  finding.severity = severity;
  finding.message = std::move(message);
  return finding;
}

// A fraction as the BLOOD file's four decimals show it; huge values in exponent form.
std::string fixed4(double value) {
  char text[64];
  std::snprintf(text, sizeof text, value > -1e6 && value < 1e6 ? "%.4f" : "%.4E", value);
  return text;
}

// Tarjan's strongly connected components, without recursion. Nodes 0..n-1.
std::vector<std::vector<int32_t>> components(const std::vector<std::vector<int32_t>>& edges) {
  const int32_t n = static_cast<int32_t>(edges.size());
  std::vector<int32_t> number(static_cast<size_t>(n), -1), low(static_cast<size_t>(n), 0);
  std::vector<bool> on_stack(static_cast<size_t>(n), false);
  std::vector<int32_t> stack;
  std::vector<std::vector<int32_t>> result;
  int32_t counter = 0;
  struct Frame {
    int32_t node;
    size_t next_edge;
  };
  for (int32_t root = 0; root < n; ++root) {
    if (number[root] >= 0) continue;
    std::vector<Frame> frames{{root, 0}};
    number[root] = low[root] = counter++;
    stack.push_back(root);
    on_stack[root] = true;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      const int32_t u = frame.node;
      if (frame.next_edge < edges[u].size()) {
        const int32_t v = edges[u][frame.next_edge++];
        if (number[v] < 0) {
          number[v] = low[v] = counter++;
          stack.push_back(v);
          on_stack[v] = true;
          frames.push_back({v, 0});
        } else if (on_stack[v]) {
          low[u] = std::min(low[u], number[v]);
        }
        continue;
      }
      if (low[u] == number[u]) {
        std::vector<int32_t> component;
        int32_t w;
        do {
          w = stack.back();
          stack.pop_back();
          on_stack[w] = false;
          component.push_back(w);
        } while (w != u);
        result.push_back(std::move(component));
      }
      frames.pop_back();
      if (!frames.empty()) {
        const int32_t parent = frames.back().node;
        low[parent] = std::min(low[parent], low[u]);
      }
    }
  }
  return result;
}

// The shortest chain start -> parent -> ... -> start inside one component.
std::vector<int32_t> shortest_chain(const std::vector<std::vector<int32_t>>& edges,
                                    const std::vector<bool>& inside, int32_t start) {
  std::vector<int32_t> previous(edges.size(), -1);
  std::deque<int32_t> queue{start};
  while (!queue.empty()) {
    const int32_t u = queue.front();
    queue.pop_front();
    for (int32_t v : edges[u]) {
      if (!inside[v]) continue;
      if (v == start) {
        std::vector<int32_t> chain;
        for (int32_t node = u; node != -1; node = previous[node]) chain.push_back(node);
        std::reverse(chain.begin(), chain.end());
        return chain;  // begins with start; the edge from its last node closes it
      }
      if (previous[v] < 0 && v != start) {
        previous[v] = u;
        queue.push_back(v);
      }
    }
  }
  return {start};
}

void check_pedigree_ancestry(const PopulationIndex& index, int p, std::vector<Finding>* findings) {
  const Population& population = index.population();
  std::vector<int32_t> row_of_node;
  std::unordered_map<int16_t, int32_t> node_of_id;
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i)) continue;
    if (node_of_id.emplace(population.ID[i], static_cast<int32_t>(row_of_node.size())).second) {
      row_of_node.push_back(i);
    }
  }
  std::vector<std::vector<int32_t>> edges(row_of_node.size());
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i) || population.IPAR1[i] == 0) continue;
    const int16_t id = population.ID[i];
    const int16_t parents[] = {population.IPAR1[i], population.IPAR2[i]};
    if (parents[0] == id || parents[1] == id) {
      const std::string fields = parents[0] == parents[1] ? "IPAR1 and IPAR2"
                                 : parents[0] == id       ? "IPAR1"
                                                          : "IPAR2";
      findings->push_back(make(index, i, "own-parent", Severity::kError,
                               "is its own parent (" + fields + " " + std::to_string(id) + ")"));
    }
    const int32_t child = node_of_id.at(id);
    for (int16_t parent : parents) {
      const auto found = node_of_id.find(parent);
      if (parent == id || found == node_of_id.end()) continue;
      std::vector<int32_t>& out = edges[child];
      if (std::find(out.begin(), out.end(), found->second) == out.end()) {
        out.push_back(found->second);
      }
    }
  }
  std::vector<bool> inside(row_of_node.size(), false);
  for (const std::vector<int32_t>& component : components(edges)) {
    if (component.size() < 2) continue;
    for (int32_t node : component) inside[node] = true;
    const int32_t start = *std::min_element(component.begin(), component.end());
    std::string message = "is its own ancestor:";
    const char* arrow = " ";
    for (int32_t node : shortest_chain(edges, inside, start)) {
      message += arrow;
      message += describe_individual(index.individual(p, population.ID[row_of_node[node]]));
      arrow = " -> parent ";
    }
    message += " -> parent ID " + std::to_string(population.ID[row_of_node[start]]);
    findings->push_back(
        make(index, row_of_node[start], "own-ancestor", Severity::kError, std::move(message)));
    for (int32_t node : component) inside[node] = false;
  }
}

// First row of a pedigree that names an ID as a parent, and how.
struct ParentUse {
  int32_t row = 0;
  const char* field = "";
  int32_t rows = 0;  // rows naming it
};

void check_pedigree_identifiers(const PopulationIndex& index, int p,
                                std::vector<Finding>* findings) {
  const Population& population = index.population();
  const InputFiles& input = index.input();
  std::vector<int16_t> missing_order;
  std::unordered_map<int16_t, ParentUse> missing;
  std::vector<int16_t> parent_order;
  std::unordered_map<int16_t, std::pair<int32_t, int32_t>> positions;  // rows as IPAR1, IPAR2
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i)) continue;
    const int16_t id = population.ID[i];
    const int32_t first = index.row_of(p, id);
    if (first != i) {
      findings->push_back(make(index, i, "duplicate-id", Severity::kWarning,
                               "duplicate ID: ID " + std::to_string(id) + " is also on " +
                                   line_text(input.PED_LINE[first]) +
                                   "; pedpeel takes INI_ID, SEX, RACE and BLOOD of ID " +
                                   std::to_string(id) + " from there"));
    }
    const int16_t IPAR1 = population.IPAR1[i];
    const int16_t IPAR2 = population.IPAR2[i];
    if (IPAR1 == 0) {
      if (IPAR2 != 0) {
        findings->push_back(make(index, i, "first-parent-zero", Severity::kWarning,
                                 "IPAR2 " + std::to_string(IPAR2) +
                                     " given but IPAR1 is 0: pedpeel takes the individual as a "
                                     "founder and ignores IPAR2"));
      }
      continue;
    }
    if (IPAR2 == 0) {
      findings->push_back(make(index, i, "second-parent-zero", Severity::kWarning,
                               "IPAR1 " + std::to_string(IPAR1) +
                                   " given but IPAR2 is 0: pedpeel makes ID 0 the second parent "
                                   "of the family"));
    }
    const std::pair<int16_t, const char*> parents[] = {{IPAR1, "IPAR1"}, {IPAR2, "IPAR2"}};
    for (const auto& [parent, field] : parents) {
      if (parent == 0 || index.row_of(p, parent) != 0) continue;
      auto [it, added] = missing.emplace(parent, ParentUse{i, field, 0});
      if (added) missing_order.push_back(parent);
      ++it->second.rows;
      if (parent == IPAR1 && parent == IPAR2) break;  // one row names it once
    }
    auto [use, added] = positions.emplace(IPAR1, std::pair<int32_t, int32_t>{0, 0});
    if (added) parent_order.push_back(IPAR1);
    if (use->second.first == 0) use->second.first = i;
    if (IPAR2 != 0) {
      auto [use2, added2] = positions.emplace(IPAR2, std::pair<int32_t, int32_t>{0, 0});
      if (added2) parent_order.push_back(IPAR2);
      if (use2->second.second == 0) use2->second.second = i;
    }
  }
  for (int16_t parent : missing_order) {
    const ParentUse& use = missing.at(parent);
    std::string message =
        "parent ID " + std::to_string(parent) + " (" + use.field + ") has no row in this pedigree";
    if (use.rows > 1) message += " (" + std::to_string(use.rows) + " rows name it)";
    message += ": pedpeel writes it with a blank INI_ID and SEX and RACE 0";
    findings->push_back(make(index, use.row, "missing-parent", Severity::kWarning, message));
  }
  for (int16_t parent : parent_order) {
    const auto [as_first, as_second] = positions.at(parent);
    if (as_first == 0 || as_second == 0) continue;
    const int32_t own_row = index.row_of(p, parent);
    const int32_t row =
        own_row != 0 && checkable(index, own_row) ? own_row : std::min(as_first, as_second);
    findings->push_back(make(index, row, "parent-both-positions", Severity::kWarning,
                             "ID " + std::to_string(parent) + " is first parent (IPAR1) on " +
                                 line_text(input.PED_LINE[as_first]) +
                                 " and second parent (IPAR2) on " +
                                 line_text(input.PED_LINE[as_second]) +
                                 ": pedpeel groups its matings into separate families"));
  }
}

}  // namespace

void check_pedigree_numbers(const PopulationIndex& index, std::vector<Finding>* findings) {
  const Population& population = index.population();
  const InputFiles& input = index.input();
  std::unordered_map<int16_t, int> first_pedigree;
  for (int p = 1; p <= index.NPED(); ++p) {
    const int32_t row = index.first_row(p);
    if (input.PED_LINE[row] == 0) continue;
    const auto [it, added] = first_pedigree.emplace(population.IPED[row], p);
    if (added) continue;
    const int q = it->second;
    int32_t last_line = input.PED_LINE[index.first_row(q)];
    for (int32_t i = index.first_row(q); i <= index.last_row(q); ++i) {
      last_line = std::max(last_line, input.PED_LINE[i]);
    }
    Finding finding = index.at(input.PEDFILE, input.PED_LINE[row], p, 0);
    finding.kind = "iped-split";
    finding.message =
        "IPED " + std::to_string(population.IPED[row]) + " is also pedigree " + std::to_string(q) +
        " (lines " + std::to_string(input.PED_LINE[index.first_row(q)]) + "-" +
        std::to_string(last_line) + "): pedpeel takes the two runs of rows as separate pedigrees";
    findings->push_back(std::move(finding));
  }
}

void check_identifiers(const PopulationIndex& index, std::vector<Finding>* findings) {
  for (int p = 1; p <= index.NPED(); ++p) check_pedigree_identifiers(index, p, findings);
}

void check_ancestry(const PopulationIndex& index, std::vector<Finding>* findings) {
  for (int p = 1; p <= index.NPED(); ++p) check_pedigree_ancestry(index, p, findings);
}

void check_counts_and_races(const PopulationIndex& index, std::vector<Finding>* findings) {
  const Population& population = index.population();
  const InputFiles& input = index.input();
  auto file_finding = [&](const std::string& file, const char* kind, std::string message) {
    Finding finding;
    finding.file = file;
    finding.line = 1;
    finding.kind = kind;
    finding.message = std::move(message);
    findings->push_back(std::move(finding));
  };
  const int32_t ped_count = input.pedfile_NIND;
  const int32_t blood_count = input.bloodfile_NIND;
  if (ped_count != blood_count) {
    std::string message = "NIND " + std::to_string(blood_count) + " here but " +
                          std::to_string(ped_count) + " in " + input.PEDFILE + ": pedpeel uses " +
                          std::to_string(blood_count);
    if (blood_count < ped_count) {
      message += ", and rows " + std::to_string(std::max(blood_count, 0) + 1) + "-" +
                 std::to_string(ped_count) + " take part in nothing";
    } else {
      message += " and adds rows " + std::to_string(std::max(ped_count, 0) + 1) + "-" +
                 std::to_string(blood_count) + " with IPED, ID and parents 0";
    }
    file_finding(input.BLOODFILE, "count-mismatch", std::move(message));
  }
  if (population.NRACE > 2) {
    file_finding(input.BLOODFILE, "races",
                 "NRACE " + std::to_string(population.NRACE) +
                     ": more than two races; pedpeel prints \"SORRY BUT NO MORE THEN 2 RACES "
                     "IN VUVAZE\" and goes on");
  }
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (checkable(index, i) && (population.RACE[i] == 126 || population.RACE[i] == 127)) {
      const int recoded = population.RACE[i] - 254;
      findings->push_back(make(index, i, "race-recode", Severity::kWarning,
                               "RACE " + std::to_string(population.RACE[i]) + " is recoded to " +
                                   std::to_string(recoded) +
                                   " in iway.IWA, where it reads as an unknown race"));
    }
    if (input.BLOOD_LINE[i] == 0) continue;
    double sum = 0;
    bool in_range = true;
    for (int j = 0; j < population.fraction_count(); ++j) {
      const float fraction = population.BLOOD[i][j];
      sum += fraction;
      if (fraction < 0.0f || fraction > 1.0f) {
        in_range = false;
        Finding finding = index.at(input.BLOODFILE, input.BLOOD_LINE[i], 0, i);
        finding.kind = "fraction-range";
        finding.message =
            "fraction " + std::to_string(j + 1) + " is " + fixed4(fraction) + ", outside 0..1";
        findings->push_back(std::move(finding));
      }
    }
    if (in_range && sum > kFractionSumLimit) {
      Finding finding = index.at(input.BLOODFILE, input.BLOOD_LINE[i], 0, i);
      finding.kind = "fraction-sum";
      finding.message = "fractions sum to " + fixed4(sum) + ", above 1";
      findings->push_back(std::move(finding));
    }
  }
}

}  // namespace pedpeel::pedinfo
