#include "tools/pedinfo/draw.h"

#include <cstdio>
#include <set>
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

void write_draw(const InputFiles& input, int pedigree, std::ostream& out) {
  const PopulationIndex index(input);
  const Population& population = input.population;
  const PedigreeAnalysis analysis = analyse_pedigree(population, pedigree);
  const Families& families = analysis.families;
  const int p = pedigree;

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

  std::string title = input.PEDFILE + ", pedigree " + std::to_string(p) + " (IPED " +
                      std::to_string(population.IPED[index.first_row(p)]) +
                      "): " + ending(analysis.end);
  if (analysis.end != PassesEnd::kDone) {
    title += ", " + std::to_string(analysis.left.size()) +
             (analysis.left.size() == 1 ? " family left" : " families left");
  }
  out << "digraph \"pedigree " << p << "\" {\n";
  out << "  label=\"" << dot_text(title) << "\";\n";
  out << "  labelloc=t;\n";
  out << "  fontname=\"Helvetica\";\n";
  out << "  node [fontname=\"Helvetica\", fontsize=10];\n";
  out << "  edge [arrowhead=none];\n";

  // Individuals: the first row of each ID, then parents without a row.
  std::unordered_set<int16_t> drawn;
  for (int32_t i = index.first_row(p); i <= index.last_row(p); ++i) {
    const int16_t id = population.ID[i];
    if (!drawn.insert(id).second) continue;
    out << "  " << individual_node(id) << " [shape=" << shape_for(population.SEX[i]) << ", label=\""
        << id << "\\n"
        << dot_text(trimmed_ini_id(population.INI_ID[i])) << "\"";
    if (loop_individuals.count(id)) out << ", color=red, penwidth=2";
    out << "];\n";
  }
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    for (int16_t parent : {families.first_parent(f), families.second_parent(f)}) {
      if (!drawn.insert(parent).second) continue;
      out << "  " << individual_node(parent) << " [shape=diamond, style=dashed, label=\"" << parent
          << "\\n(no row)\"";
      if (loop_individuals.count(parent)) out << ", color=red, penwidth=2";
      out << "];\n";
    }
  }

  // Families, in family order, each with its parent and child edges.
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    const int32_t order = analysis.order[f];
    out << "  " << family_node(f) << " [shape=box, style=\"rounded,filled\", fontsize=8, "
        << "width=0, height=0, margin=\"0.05,0.02\", ";
    if (order != 0) {
      out << "fillcolor=gray90, label=\"" << order << ": ITYPE "
          << analysis.taken[static_cast<size_t>(order) - 1].itype << "\"];\n";
    } else {
      out << "fillcolor=\"#ffcccc\", color=red, label=\""
          << (analysis.end == PassesEnd::kLoop ? "loop" : "not taken") << "\"];\n";
    }
    auto edge = [&](int16_t id, bool parent) {
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
  out << "}\n";
}

}  // namespace pedpeel::pedinfo
