#include "tools/pedinfo/draw.h"

#include <cstdio>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "tools/pedinfo/output_text.h"
#include "tools/pedinfo/pedigree_analysis.h"
#include "tools/pedinfo/population_index.h"

namespace pedpeel::pedinfo {

namespace {

std::string individual_node(int16_t id) {
  return "\"i" + std::to_string(id) + "\"";
}

std::string family_node(int32_t f) {
  return "\"f" + std::to_string(f) + "\"";
}

const char* shape_for(int8_t sex) {
  switch (sex) {
    case 1:
      return "box";
    case 2:
      return "ellipse";
    default:
      return "diamond";
  }
}

const char* ending(PassesEnd end) {
  switch (end) {
    case PassesEnd::kDone:
      return "every family taken";
    case PassesEnd::kLoop:
      return "loop";
    case PassesEnd::kStop:
      return "pedpeel stops";
  }
  return "";
}

}  // namespace

std::string dot_text(std::string_view bytes) {
  // DOT reads a backslash in a string as an escape: a byte goes out as \\xNN to show as \xNN.
  std::string text;
  for (char c : escaped(bytes, "\\\\x")) {
    if (c == '&') {
      text += "&amp;";
    } else {
      text.push_back(c);
    }
  }
  return text;
}

namespace {

// The individual's label: ID, then its original id and INI_ID (INI_ID alone without ids,
// and once when both are the same), and for a copy the row it copies.
std::string individual_label(const DrawRequest& request, int16_t iped, int16_t id,
                             const std::string& ini_id, bool* copy) {
  std::string label = std::to_string(id);
  const IdsRow* row = request.ids != nullptr ? request.ids->row(iped, id) : nullptr;
  *copy = row != nullptr && row->is_copy();
  if (row != nullptr && !row->original.empty()) {
    label += "\\n" + dot_text(row->original);
    if (ini_id != row->original) label += "\\n" + dot_text(ini_id);
  } else {
    label += "\\n" + dot_text(ini_id);
  }
  if (*copy) label += "\\ncopy of " + dot_text(row->copy_of.empty() ? "another row" : row->copy_of);
  return label;
}

std::string plural(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The lines of the graph's label after the first: what was asked for, and what the limit
// left out.
std::vector<std::string> part_lines(const DrawRequest& request, const DrawSelection& selection,
                                    const PedigreeAnalysis& analysis) {
  std::vector<std::string> lines;
  if (request.part == DrawRequest::Part::kAround) {
    lines.push_back("around " + request.centre_text + ", " +
                    plural(request.generations, "generation", "generations") +
                    " of ancestors and descendants, with their mates");
  } else if (request.part == DrawRequest::Part::kLoop) {
    lines.push_back("the " +
                    plural(static_cast<int64_t>(analysis.left.size()), "family", "families") +
                    " neither pass can take, and the shortest loop through them (red)");
  }
  if (!request.note.empty()) lines.push_back(request.note);
  if (selection.left_out_total() == 0) return lines;
  lines.push_back(std::to_string(selection.individuals.size()) + " of " +
                  std::to_string(selection.considered) + " animals drawn, the nearest first; " +
                  "left out: " + selection.left_out_text());
  std::string widen = "to draw more, raise --limit (now " + std::to_string(request.limit) + ")";
  if (request.part == DrawRequest::Part::kAround && request.generations > 1) {
    widen += " or lower --generations";
  }
  if (request.part == DrawRequest::Part::kWhole)
    widen += ", or draw a part with --around ID or --loop";
  lines.push_back(widen);
  return lines;
}

DrawSelection select(const DrawRequest& request, const PopulationIndex& index,
                     const PedigreeAnalysis& analysis) {
  const Families& families = analysis.families;
  const int p = request.pedigree;
  switch (request.part) {
    case DrawRequest::Part::kAround:
      return select_around(families, request.centres, request.generations, request.limit);
    case DrawRequest::Part::kLoop:
      return select_loop(families, analysis.left, analysis.loop, request.limit);
    case DrawRequest::Part::kWhole:
      break;
  }
  const auto& ID = index.population().ID;
  std::vector<int16_t> ids(ID.begin() + index.first_row(p), ID.begin() + index.last_row(p) + 1);
  return select_whole(families, ids, request.limit);
}

// Lays out long fans in bands: the children of one family, and the families of one
// parent, past kRowWidth each go one band further on than the one kRowWidth before them,
// held there by an invisible edge. Without this, an AI bull's hundred daughters would all
// stand on one rank, in a drawing many thousand pixels long.
void write_rows(const Families& families, const DrawSelection& selection, std::ostream& out) {
  constexpr size_t kRowWidth = 25;
  auto invisible = [&](const std::string& from, const std::string& to) {
    out << "  " << from << " -> " << to << " [style=invis];\n";
  };
  std::unordered_map<int16_t, std::vector<int32_t>> matings;  // drawn families by parent
  std::vector<int16_t> parents;                               // in order met
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (!selection.families[static_cast<size_t>(f)]) continue;
    std::vector<int16_t> children;
    for (int16_t child : families.children(f)) {
      if (selection.drawn(child)) children.push_back(child);
    }
    for (size_t k = kRowWidth; k < children.size(); ++k) {
      invisible(individual_node(children[k - kRowWidth]), individual_node(children[k]));
    }
    for (int16_t parent : {families.first_parent(f), families.second_parent(f)}) {
      if (!selection.drawn(parent)) continue;
      std::vector<int32_t>& list = matings[parent];
      if (list.empty()) parents.push_back(parent);
      if (list.empty() || list.back() != f) list.push_back(f);
    }
  }
  // A family's foot is its first child drawn; its head the parent other than the fan's.
  auto foot = [&](int32_t f) {
    for (int16_t child : families.children(f)) {
      if (selection.drawn(child)) return individual_node(child);
    }
    return family_node(f);
  };
  auto head = [&](int32_t f, int16_t parent) {
    const int16_t mate =
        families.first_parent(f) == parent ? families.second_parent(f) : families.first_parent(f);
    return mate != parent && selection.drawn(mate) ? individual_node(mate) : family_node(f);
  };
  for (int16_t parent : parents) {
    const std::vector<int32_t>& list = matings[parent];
    for (size_t k = kRowWidth; k < list.size(); ++k) {
      invisible(foot(list[k - kRowWidth]), head(list[k], parent));
    }
  }
}

}  // namespace

void write_draw(const InputFiles& input, int pedigree, std::ostream& out) {
  DrawRequest request;
  request.pedigree = pedigree;
  write_draw(input, request, out);
}

void write_draw(const InputFiles& input, const DrawRequest& request, std::ostream& out) {
  const int p = request.pedigree;
  const PopulationIndex index(input);
  const Population& population = input.population;
  const PedigreeAnalysis analysis = analyse_pedigree(population, p);
  const Families& families = analysis.families;
  const DrawSelection selection = select(request, index, analysis);
  const int16_t iped = index.iped(p);

  // The edges of the shortest loop, as (individual, family) pairs.
  std::set<std::pair<int32_t, int32_t>> loop_edges;
  std::unordered_set<int16_t> loop_individuals;
  const std::vector<LoopNode>& loop = analysis.loop;
  for (size_t k = 0; k < loop.size(); ++k) {
    const LoopNode& a = loop[k];
    const LoopNode& b = loop[(k + 1) % loop.size()];
    const LoopNode& person = a.is_family ? b : a;
    const LoopNode& family = a.is_family ? a : b;
    loop_edges.emplace(person.value, family.value);
    if (!a.is_family) loop_individuals.insert(static_cast<int16_t>(a.value));
  }
  const std::unordered_set<int16_t> centres(request.centres.begin(), request.centres.end());

  std::string title = input.PEDFILE + ", pedigree " + std::to_string(p) + " (IPED " +
                      std::to_string(iped) + "): " + ending(analysis.end);
  if (analysis.end != PassesEnd::kDone) {
    title += ", " + std::to_string(analysis.left.size()) +
             (analysis.left.size() == 1 ? " family left" : " families left");
  }
  // A part, or a pedigree cut by the limit, is laid out left to right in bands.
  const std::vector<std::string> lines = part_lines(request, selection, analysis);
  const bool banded = !lines.empty();
  out << "digraph \"pedigree " << p << "\" {\n";
  out << "  label=\"" << dot_text(title);
  for (const std::string& line : lines) out << "\\n" << dot_text(line);
  out << "\";\n";
  out << "  labelloc=t;\n";
  // Close together: a part holds up to --limit animals, and its labels stay 10 points.
  if (banded) out << "  rankdir=LR;\n  nodesep=0.1;\n  ranksep=0.3;\n";
  out << "  fontname=\"Helvetica\";\n";
  out << "  node [fontname=\"Helvetica\", fontsize=10];\n";
  out << "  edge [arrowhead=none];\n";

  // Individuals: the first row of each ID, then parents without a row.
  auto marks = [&](int16_t id, bool copy, const char* style) {
    std::string text;
    if (loop_individuals.count(id)) text += ", color=red, penwidth=2";
    std::string styles = style;
    if (copy) styles += styles.empty() ? "dashed" : ",dashed";
    if (centres.count(id)) {
      styles += styles.empty() ? "filled" : ",filled";
      text += ", fillcolor=\"#fff0a0\"";
    }
    if (!styles.empty() && styles != style) text += ", style=\"" + styles + "\"";
    return text;
  };
  std::unordered_set<int16_t> drawn;
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    const int16_t id = population.ID[i];
    if (!selection.drawn(id) || !drawn.insert(id).second) continue;
    bool copy = false;
    const std::string label =
        individual_label(request, iped, id, trimmed_ini_id(population.INI_ID[i]), &copy);
    out << "  " << individual_node(id) << " [shape=" << shape_for(population.SEX[i]) << ", label=\""
        << label << "\"" << marks(id, copy, "") << "];\n";
  }
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    for (int16_t parent : {families.first_parent(f), families.second_parent(f)}) {
      if (!selection.drawn(parent) || !drawn.insert(parent).second) continue;
      out << "  " << individual_node(parent) << " [shape=diamond, style=dashed, label=\"" << parent
          << "\\n(no row)\"" << marks(parent, false, "dashed") << "];\n";
    }
  }

  // Families, in family order, each with its parent and child edges.
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (!selection.families[static_cast<size_t>(f)]) continue;
    int64_t hidden = 0;
    for (int16_t child : families.children(f)) hidden += selection.drawn(child) ? 0 : 1;
    const std::string more =
        hidden == 0 ? "" : "\\n" + plural(hidden, "child", "children") + " not drawn";
    const int32_t order = analysis.order[f];
    out << "  " << family_node(f) << " [shape=box, style=\"rounded,filled\", fontsize=8, "
        << "width=0, height=0, margin=\"0.05,0.02\", ";
    if (order != 0) {
      out << "fillcolor=gray90, label=\"" << order << ": ITYPE "
          << analysis.taken[static_cast<size_t>(order) - 1].itype << more << "\"];\n";
    } else {
      out << "fillcolor=\"#ffcccc\", color=red, label=\""
          << (analysis.end == PassesEnd::kLoop ? "loop" : "not taken") << more << "\"];\n";
    }
    auto edge = [&](int16_t id, bool parent) {
      if (!selection.drawn(id)) return;
      out << "  " << (parent ? individual_node(id) : family_node(f)) << " -> "
          << (parent ? family_node(f) : individual_node(id));
      if (loop_edges.count({id, f})) out << " [color=red, penwidth=2]";
      out << ";\n";
    };
    edge(families.first_parent(f), true);
    if (families.second_parent(f) != families.first_parent(f))
      edge(families.second_parent(f), true);
    for (int16_t child : families.children(f)) edge(child, false);
  }
  if (banded) write_rows(families, selection, out);
  out << "}\n";
}

}  // namespace pedpeel::pedinfo
