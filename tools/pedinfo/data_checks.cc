#include "tools/pedinfo/data_checks.h"

#include <algorithm>
#include <cstdio>
#include <span>
#include <unordered_map>

#include "export/second_stage.h"
#include "pedigree/id_table.h"
#include "tools/pedinfo/output_text.h"

namespace pedpeel::pedinfo {

namespace {

// How far above 1 the sum of fractions may go, per fraction that is not 0: a fraction
// carries four significant digits, so one below 1 may be rounded up by half a unit of its
// fourth decimal (six fractions of 1/6 are written .1667 and sum to 1.0002).
constexpr double kRoundingPerFraction = 0.00005;
// The fractions are floats, a little off their decimal values: a sum right at the limit
// (.4688 + .5313, both rounded up) lies a few units of the float's precision above it.
constexpr double kFloatSlack = 1e-6;

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

// A directed graph on nodes 0..n-1: the edges out of u are target[start[u] .. start[u+1]).
struct Digraph {
  std::vector<int32_t> start;
  std::vector<int32_t> target;
  std::span<const int32_t> out(int32_t u) const {
    return {target.data() + start[u], static_cast<size_t>(start[u + 1] - start[u])};
  }
};

// The graph of `edges` (from, to) on n nodes, each node's edges in the order given, an edge
// given twice kept once.
Digraph digraph(int32_t n, const std::vector<std::pair<int32_t, int32_t>>& edges) {
  Digraph graph;
  graph.start.assign(static_cast<size_t>(n) + 1, 0);
  for (const auto& [from, to] : edges) ++graph.start[from + 1];
  for (int32_t u = 0; u < n; ++u) graph.start[u + 1] += graph.start[u];
  graph.target.resize(edges.size());
  std::vector<int32_t> fill(graph.start.begin(), graph.start.end() - 1);
  for (const auto& [from, to] : edges) {
    bool twice = false;
    for (int32_t k = graph.start[from]; k < fill[from] && !twice; ++k)
      twice = graph.target[k] == to;
    if (!twice) graph.target[fill[from]++] = to;
  }
  // Close the gaps the repeated edges left.
  int32_t kept = 0;
  for (int32_t u = 0; u < n; ++u) {
    const int32_t begin = graph.start[u];
    graph.start[u] = kept;
    for (int32_t k = begin; k < fill[u]; ++k) graph.target[kept++] = graph.target[k];
  }
  graph.start[n] = kept;
  graph.target.resize(static_cast<size_t>(kept));
  return graph;
}

// Tarjan's strongly connected components, without recursion: those of two nodes or more,
// each as its list of nodes.
std::vector<std::vector<int32_t>> cycles_of(const Digraph& graph) {
  const int32_t n = static_cast<int32_t>(graph.start.size()) - 1;
  std::vector<int32_t> number(static_cast<size_t>(n), -1), low(static_cast<size_t>(n), 0);
  std::vector<bool> on_stack(static_cast<size_t>(n), false);
  std::vector<int32_t> stack;
  std::vector<std::vector<int32_t>> result;
  int32_t counter = 0;
  struct Frame {
    int32_t node;
    int32_t next_edge;
  };
  std::vector<Frame> frames;
  for (int32_t root = 0; root < n; ++root) {
    if (number[root] >= 0) continue;
    frames.assign(1, {root, graph.start[root]});
    number[root] = low[root] = counter++;
    stack.push_back(root);
    on_stack[root] = true;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      const int32_t u = frame.node;
      if (frame.next_edge < graph.start[u + 1]) {
        const int32_t v = graph.target[frame.next_edge++];
        if (number[v] < 0) {
          number[v] = low[v] = counter++;
          stack.push_back(v);
          on_stack[v] = true;
          frames.push_back({v, graph.start[v]});
        } else if (on_stack[v]) {
          low[u] = std::min(low[u], number[v]);
        }
        continue;
      }
      if (low[u] == number[u]) {
        if (stack.back() == u) {
          stack.pop_back();  // a component of one node: no cycle
          on_stack[u] = false;
        } else {
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

// The shortest chain start -> parent -> ... -> start inside one component. `previous` is
// -1 for every node, and is left so: the search costs the size of the component alone.
std::vector<int32_t> shortest_chain(const Digraph& graph, const std::vector<bool>& inside,
                                    int32_t start, std::vector<int32_t>& previous) {
  std::vector<int32_t> reached{start};
  std::vector<int32_t> chain{start};
  for (size_t next = 0; next < reached.size(); ++next) {
    const int32_t u = reached[next];
    bool closed = false;
    for (int32_t v : graph.out(u)) {
      if (!inside[v]) continue;
      if (v == start) {
        chain.clear();
        for (int32_t node = u; node != -1; node = previous[node]) chain.push_back(node);
        std::reverse(chain.begin(), chain.end());
        closed = true;  // the chain begins with start; the edge from its last node closes it
        break;
      }
      if (previous[v] < 0) {
        previous[v] = u;
        reached.push_back(v);
      }
    }
    if (closed) break;
  }
  for (int32_t node : reached) previous[node] = -1;
  return chain;
}

void check_pedigree_ancestry(const PopulationIndex& index, int p, IdTable<int32_t>& node_of_id,
                             std::vector<Finding>* findings) {
  const Population& population = index.population();
  std::vector<int32_t> row_of_node;
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i) || node_of_id[population.ID[i]] >= 0) continue;
    node_of_id.at(population.ID[i]) = static_cast<int32_t>(row_of_node.size());
    row_of_node.push_back(i);
  }
  std::vector<std::pair<int32_t, int32_t>> edges;  // (child, parent), rows in order
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i) || population.IPAR1[i] == 0) continue;
    const int16_t id = population.ID[i];
    const int16_t parents[] = {population.IPAR1[i], population.IPAR2[i]};
    if (parents[0] == id || parents[1] == id) {
      const std::string fields = parents[0] == parents[1] ? "IPAR1 and IPAR2"
                                 : parents[0] == id       ? "IPAR1"
                                                          : "IPAR2";
      findings->push_back(make(index, i, "own-parent", Severity::kError,
                               "is its own parent (" + fields + " " + index.id_text(p, id) + ")"));
    }
    const int32_t child = node_of_id[id];
    for (int16_t parent : parents) {
      const int32_t node = node_of_id[parent];
      if (parent != id && node >= 0) edges.emplace_back(child, node);
    }
  }
  node_of_id.clear();
  const Digraph graph = digraph(static_cast<int32_t>(row_of_node.size()), edges);
  const std::vector<std::vector<int32_t>> cycles = cycles_of(graph);
  if (cycles.empty()) return;
  std::vector<bool> inside(row_of_node.size(), false);
  std::vector<int32_t> previous(row_of_node.size(), -1);
  for (const std::vector<int32_t>& component : cycles) {
    for (int32_t node : component) inside[node] = true;
    const int32_t start = *std::min_element(component.begin(), component.end());
    std::string message = "is its own ancestor:";
    const char* arrow = " ";
    for (int32_t node : shortest_chain(graph, inside, start, previous)) {
      message += arrow;
      message +=
          describe_individual(index.individual(p, population.ID[row_of_node[node]]), index.ids());
      arrow = " -> parent ";
    }
    message += " -> parent ID " + index.id_text(p, population.ID[row_of_node[start]]);
    findings->push_back(
        make(index, row_of_node[start], "own-ancestor", Severity::kError, std::move(message)));
    for (int32_t node : component) inside[node] = false;
  }
}

// A parent ID the rows of a pedigree name, and how: the first row naming it, the field it
// is named in there, the number of rows naming it, and the first rows naming it as IPAR1
// and as IPAR2 (0 when none).
struct NamedParent {
  int16_t id = 0;
  int32_t own_row = 0;  // its first row, 0 when it has none
  int32_t first_named = 0;
  const char* field = "";
  int32_t rows = 0;
  int32_t as_first = 0;
  int32_t as_second = 0;
};

// The parent IDs a pedigree's rows name, in the order first named, and by ID the place of
// each in that list (from 1; 0 when not named). Kept from one pedigree to the next.
struct NamedParents {
  std::vector<NamedParent> list;
  IdTable<int32_t> place{0};

  void clear() {
    list.clear();
    place.clear();
  }
};

// The entry of parent `id`, named in `field` of row i; a new one when no row named it yet.
NamedParent& named_parent(const PopulationIndex& index, int p, int16_t id, int32_t i,
                          const char* field, NamedParents& parents) {
  int32_t& k = parents.place.at(id);
  if (k == 0) {
    parents.list.push_back(
        {.id = id, .own_row = index.row_of(p, id), .first_named = i, .field = field});
    k = static_cast<int32_t>(parents.list.size());
  }
  return parents.list[static_cast<size_t>(k) - 1];
}

void check_pedigree_identifiers(const PopulationIndex& index, int p, NamedParents& parents,
                                std::vector<Finding>* findings) {
  const Population& population = index.population();
  const InputFiles& input = index.input();
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    if (!checkable(index, i)) continue;
    const int16_t id = population.ID[i];
    const int32_t first = index.row_of(p, id);
    if (first != i) {
      findings->push_back(make(index, i, "duplicate-id", Severity::kWarning,
                               "duplicate ID: ID " + index.id_text(p, id) + " is also on " +
                                   line_text(input.PED_LINE[first]) +
                                   "; pedpeel takes INI_ID, SEX, RACE and BLOOD of ID " +
                                   index.id_text(p, id) + " from there"));
    }
    const int16_t IPAR1 = population.IPAR1[i];
    const int16_t IPAR2 = population.IPAR2[i];
    if (IPAR1 == 0) {
      if (IPAR2 != 0) {
        findings->push_back(make(index, i, "first-parent-zero", Severity::kWarning,
                                 "IPAR2 " + index.id_text(p, IPAR2) +
                                     " given but IPAR1 is 0: pedpeel takes the individual as a "
                                     "founder and ignores IPAR2"));
      }
      continue;
    }
    if (IPAR2 == 0) {
      findings->push_back(make(index, i, "second-parent-zero", Severity::kWarning,
                               "IPAR1 " + index.id_text(p, IPAR1) +
                                   " given but IPAR2 is 0: pedpeel makes ID 0 the second parent "
                                   "of the family"));
    }
    NamedParent& first_parent = named_parent(index, p, IPAR1, i, "IPAR1", parents);
    ++first_parent.rows;
    if (first_parent.as_first == 0) first_parent.as_first = i;
    if (IPAR2 != 0) {
      NamedParent& second_parent = named_parent(index, p, IPAR2, i, "IPAR2", parents);
      if (IPAR2 != IPAR1) ++second_parent.rows;  // a row names an ID once
      if (second_parent.as_second == 0) second_parent.as_second = i;
    }
  }
  for (const NamedParent& parent : parents.list) {
    if (parent.own_row != 0) continue;
    std::string message = "parent ID " + index.id_text(p, parent.id) + " (" + parent.field +
                          ") has no row in this pedigree";
    if (parent.rows > 1) message += " (" + std::to_string(parent.rows) + " rows name it)";
    message += ": pedpeel writes it with a blank INI_ID and SEX and RACE 0";
    findings->push_back(
        make(index, parent.first_named, "missing-parent", Severity::kWarning, message));
  }
  for (const NamedParent& parent : parents.list) {
    if (parent.as_first == 0 || parent.as_second == 0) continue;
    const int32_t row = parent.own_row != 0 && checkable(index, parent.own_row)
                            ? parent.own_row
                            : std::min(parent.as_first, parent.as_second);
    findings->push_back(make(index, row, "parent-both-positions", Severity::kWarning,
                             "ID " + index.id_text(p, parent.id) + " is first parent (IPAR1) on " +
                                 line_text(input.PED_LINE[parent.as_first]) +
                                 " and second parent (IPAR2) on " +
                                 line_text(input.PED_LINE[parent.as_second]) +
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
    // Lines grow with rows: the last row of q that has one holds its last line.
    int32_t last_line = input.PED_LINE[index.first_row(q)];
    for (int32_t i = index.last_row(q); i > index.first_row(q); --i) {
      if (input.PED_LINE[i] != 0) {
        last_line = input.PED_LINE[i];
        break;
      }
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
  NamedParents parents;
  for (int p = 1; p <= index.NPED(); ++p) {
    check_pedigree_identifiers(index, p, parents, findings);
    parents.clear();
  }
}

namespace {

// Whether the original ids show `rows` to be one animal: its row and the copies pedprep
// made of it, which share its INI_ID so that the origin check takes them as one.
bool one_original(const PopulationIndex& index, int p, const std::vector<int32_t>& rows) {
  if (index.ids() == nullptr) return false;
  const std::string* first = nullptr;
  for (int32_t row : rows) {
    const std::string* original = index.ids()->find(index.iped(p), index.population().ID[row]);
    if (original == nullptr || original->empty()) return false;
    if (first != nullptr && *original != *first) return false;
    first = original;
  }
  return true;
}

}  // namespace

void check_ini_ids(const PopulationIndex& index, std::vector<Finding>* findings) {
  const Population& population = index.population();
  const InputFiles& input = index.input();
  // Rows sorted by a hash of their INI_ID first: equal INI_IDs end up side by side, and most
  // comparisons are of two integers.
  std::vector<std::pair<uint64_t, int32_t>> keyed;  // (hash of INI_ID, row)
  std::vector<int32_t> rows;
  std::vector<int32_t> first_rows;  // of the distinct IDs of one INI_ID, in row order
  for (int p = 1; p <= index.NPED(); ++p) {
    keyed.clear();
    for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
      if (!checkable(index, i)) continue;
      uint64_t hash = 14695981039346656037ull;
      for (char c : population.INI_ID[i])
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
      keyed.emplace_back(hash, i);
    }
    std::sort(keyed.begin(), keyed.end(), [&](const auto& x, const auto& y) {
      if (x.first != y.first) return x.first < y.first;
      const int32_t a = x.second;
      const int32_t b = y.second;
      if (population.INI_ID[a] != population.INI_ID[b]) {
        return population.INI_ID[a] < population.INI_ID[b];
      }
      if (population.ID[a] != population.ID[b]) return population.ID[a] < population.ID[b];
      return a < b;
    });
    rows.clear();
    for (const auto& [hash, row] : keyed) rows.push_back(row);
    for (size_t k = 0; k < rows.size();) {
      first_rows.clear();
      size_t end = k;
      for (; end < rows.size() && population.INI_ID[rows[end]] == population.INI_ID[rows[k]];
           ++end) {
        if (end == k || population.ID[rows[end]] != population.ID[rows[end - 1]]) {
          first_rows.push_back(rows[end]);
        }
      }
      k = end;
      if (first_rows.size() < 2 || one_original(index, p, first_rows)) continue;
      std::sort(first_rows.begin(), first_rows.end());
      std::string message = "same INI_ID as ID " + index.id_text(p, population.ID[first_rows[0]]) +
                            " on " + line_text(input.PED_LINE[first_rows[0]]);
      if (first_rows.size() > 2) {
        message += " (and " + std::to_string(first_rows.size() - 2) + " more " +
                   (first_rows.size() == 3 ? "ID" : "IDs") + " of this pedigree)";
      }
      message += ": pedpeel's origin check takes the rows of one INI_ID as one animal";
      findings->push_back(
          make(index, first_rows[1], "duplicate-ini-id", Severity::kWarning, std::move(message)));
    }
  }
}

void check_ancestry(const PopulationIndex& index, std::vector<Finding>* findings) {
  IdTable<int32_t> node_of_id(-1);
  for (int p = 1; p <= index.NPED(); ++p) check_pedigree_ancestry(index, p, node_of_id, findings);
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
      // With NIND below 1 pedpeel still takes row 1, as a pedigree of its own.
      const int32_t first_unused = std::max(blood_count, 1) + 1;
      if (first_unused <= ped_count) {
        message += ", and rows " + std::to_string(first_unused) + "-" + std::to_string(ped_count) +
                   " take part in nothing";
      }
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
    // A known race whose code the second stage's recode wraps past 127 to a negative one.
    const int recoded = recode_race(population.RACE[i]);
    if (checkable(index, i) && population.RACE[i] > 0 && recoded < 0) {
      findings->push_back(make(index, i, "race-recode", Severity::kWarning,
                               "RACE " + std::to_string(population.RACE[i]) + " is recoded to " +
                                   std::to_string(recoded) +
                                   " in iway.IWA, where it reads as an unknown race"));
    }
    if (input.BLOOD_LINE[i] == 0) continue;
    double sum = 0;
    double limit = 1.0 + kFloatSlack;
    bool in_range = true;
    for (int j = 0; j < population.fraction_count(); ++j) {
      const float fraction = population.BLOOD[i][j];
      sum += fraction;
      if (fraction != 0.0f) limit += kRoundingPerFraction;
      if (fraction < 0.0f || fraction > 1.0f) {
        in_range = false;
        Finding finding = index.at(input.BLOODFILE, input.BLOOD_LINE[i], 0, i);
        finding.kind = "fraction-range";
        finding.message =
            "fraction " + std::to_string(j + 1) + " is " + fixed4(fraction) + ", outside 0..1";
        findings->push_back(std::move(finding));
      }
    }
    if (in_range && sum > limit) {
      Finding finding = index.at(input.BLOODFILE, input.BLOOD_LINE[i], 0, i);
      finding.kind = "fraction-sum";
      finding.message = "fractions sum to " + fixed4(sum) + ", above 1";
      findings->push_back(std::move(finding));
    }
  }
}

}  // namespace pedpeel::pedinfo
