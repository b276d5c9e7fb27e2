// Lookups over a population read by pedinfo: the pedigree of every row, the first row of
// an ID in its pedigree (the row pedpeel uses), and findings and loop steps located there.
#ifndef PEDPEEL_TOOLS_PEDINFO_POPULATION_INDEX_H_
#define PEDPEEL_TOOLS_PEDINFO_POPULATION_INDEX_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/input_reader.h"
#include "tools/pedinfo/original_ids.h"
#include "tools/pedinfo/pedigree_analysis.h"

namespace pedpeel::pedinfo {

class PopulationIndex {
 public:
  /// `input` must be analysable; it and `ids` (nullptr for none) must outlive the index.
  explicit PopulationIndex(const InputFiles& input, const OriginalIds* ids = nullptr);

  const InputFiles& input() const { return input_; }
  const Population& population() const { return input_.population; }
  const OriginalIds* ids() const { return ids_; }
  int NPED() const { return input_.population.NPED; }
  int32_t first_row(int pedigree) const { return input_.population.KEND[pedigree - 1] + 1; }
  int32_t last_row(int pedigree) const { return input_.population.KEND[pedigree]; }
  int pedigree_of(int32_t row) const { return PEDIGREE_OF_[row]; }
  int16_t iped(int pedigree) const { return input_.population.IPED[first_row(pedigree)]; }

  /// First row of `pedigree` whose ID is `id`, 0 when none.
  int32_t row_of(int pedigree, int16_t id) const;
  /// An ID of `pedigree` as pedinfo prints it (with its original id when known).
  std::string id_text(int pedigree, int16_t id) const;

  /// A finding at `line` of `file` about row `row` (0: about the pedigree of `pedigree`).
  Finding at(const std::string& file, int32_t line, int pedigree, int32_t row) const;
  /// A finding at the row's line in the pedigree file.
  Finding at_row(int32_t row) const;
  /// `finding`, found while reading, with the pedigree and ID of its row filled in.
  Finding located(const Finding& finding) const;

  /// The individual `id` of `pedigree` as a loop step.
  LoopStep individual(int pedigree, int16_t id) const;
  /// Family f of the analysis as a loop step; its line is that of the row that started it.
  LoopStep family(const PedigreeAnalysis& analysis, int32_t f) const;

 private:
  const InputFiles& input_;
  const OriginalIds* ids_;
  std::vector<int> PEDIGREE_OF_;                                 // by row
  std::vector<std::unordered_map<int16_t, int32_t>> FIRST_ROW_;  // by pedigree: ID -> row
};

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_POPULATION_INDEX_H_
