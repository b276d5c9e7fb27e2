#include "tools/pedinfo/population_index.h"

namespace pedpeel::pedinfo {

PopulationIndex::PopulationIndex(const InputFiles& input, const OriginalIds* ids)
    : input_(input),
      ids_(ids),
      PEDIGREE_OF_(input.population.ID.size(), 0),
      FIRST_ROW_(static_cast<size_t>(input.population.NPED) + 1) {
  const Population& population = input.population;
  for (int p = 1; p <= population.NPED; ++p) {
    FIRST_ROW_[p].reserve(static_cast<size_t>(last_row(p) - first_row(p) + 1));
    for (int32_t i = first_row(p); i <= last_row(p); ++i) {
      PEDIGREE_OF_[i] = p;
      FIRST_ROW_[p].emplace(population.ID[i], i);  // keeps the first row of an ID
    }
  }
}

int32_t PopulationIndex::row_of(int pedigree, int16_t id) const {
  const auto& rows = FIRST_ROW_[pedigree];
  const auto found = rows.find(id);
  return found == rows.end() ? 0 : found->second;
}

std::string PopulationIndex::id_text(int pedigree, int16_t id) const {
  return pedinfo::id_text(ids_, iped(pedigree), id);
}

Finding PopulationIndex::at(const std::string& file, int32_t line, int pedigree,
                            int32_t row) const {
  const Population& population = input_.population;
  Finding finding;
  finding.file = file;
  finding.line = line;
  finding.pedigree = row != 0 ? PEDIGREE_OF_[row] : pedigree;
  if (finding.pedigree != 0) finding.iped = iped(finding.pedigree);
  finding.row = row;
  if (row != 0) {
    finding.row_read = input_.ROW_READ[row];
    finding.id = population.ID[row];
    finding.ini_id = trimmed_ini_id(population.INI_ID[row]);
  }
  return finding;
}

Finding PopulationIndex::at_row(int32_t row) const {
  return at(input_.PEDFILE, input_.PED_LINE[row], 0, row);
}

Finding PopulationIndex::located(const Finding& finding) const {
  if (finding.row == 0 || !finding.row_read || finding.pedigree != 0) return finding;
  Finding result = at(finding.file, finding.line, 0, finding.row);
  result.severity = finding.severity;
  result.kind = finding.kind;
  result.message = finding.message;
  result.steps = finding.steps;
  return result;
}

LoopStep PopulationIndex::individual(int pedigree, int16_t id) const {
  LoopStep step;
  step.iped = iped(pedigree);
  step.id = id;
  step.row = row_of(pedigree, id);
  if (step.row != 0) {
    step.line = input_.PED_LINE[step.row];
    step.ini_id = trimmed_ini_id(input_.population.INI_ID[step.row]);
  }
  return step;
}

LoopStep PopulationIndex::family(const PedigreeAnalysis& analysis, int32_t f) const {
  const Families& families = analysis.families;
  LoopStep step;
  step.family = f;
  step.iped = iped(analysis.pedigree);
  step.id = families.first_parent(f);
  step.second = families.second_parent(f);
  const auto children = families.children(f);
  step.children.assign(children.begin(), children.end());
  if (static_cast<size_t>(f) < analysis.first_row.size()) {
    step.row = analysis.first_row[f];
    step.line = input_.PED_LINE[step.row];
  }
  return step;
}

}  // namespace pedpeel::pedinfo
