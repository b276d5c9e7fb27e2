#include "tools/pedinfo/pedigree_analysis.h"

#include <algorithm>
#include <utility>

#include "pedigree/take_pedigrees.h"

namespace pedpeel::pedinfo {

namespace {

uint32_t pair_key(int16_t first, int16_t second) {
  return uint32_t{static_cast<uint16_t>(first)} << 16 | static_cast<uint16_t>(second);
}

// Keeps every family the passes take, in order; number_taken() numbers them afterwards.
class RecordingSink : public RecordSink {
 public:
  void emit(const FamilyRecord& record, const RowLookup& /*lookup*/) override {
    TakenFamily family;
    family.itype = record.itype;
    family.iway = record.iway;
    family.members.assign(record.members.begin(), record.members.end());
    taken.push_back(std::move(family));
  }

  std::vector<TakenFamily> taken;
};

// Gives each family of `taken` its number. A family is found by its ordered parent pair,
// which no two families of a pedigree share, among the families FAMDONE marks: those the
// passes took. Where the passes take few of many families, few are looked at.
void number_taken(const Families& families, std::vector<TakenFamily>& taken) {
  std::vector<std::pair<uint32_t, int32_t>> family_of_pair;  // (pair, family), by pair
  family_of_pair.reserve(taken.size());
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (!families.taken(f)) continue;
    family_of_pair.push_back({pair_key(families.first_parent(f), families.second_parent(f)), f});
  }
  std::sort(family_of_pair.begin(), family_of_pair.end());
  for (TakenFamily& family : taken) {
    const std::pair<uint32_t, int32_t> pair{pair_key(family.members[0], family.members[1]), 0};
    family.family = std::lower_bound(family_of_pair.begin(), family_of_pair.end(), pair)->second;
  }
}

std::string trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// The row that starts each family. Families are numbered in the order of the first row of
// each ordered parent pair, so the row that starts family f is the first with f's pair
// after the row that starts family f - 1: one walk down the rows finds them all.
std::vector<int32_t> first_rows(const Population& population, int pedigree,
                                const Families& families) {
  std::vector<int32_t> rows(static_cast<size_t>(families.NFAM) + 1, 0);
  int32_t f = 1;
  for (int32_t i = population.KEND[pedigree - 1] + 1;
       i <= population.KEND[pedigree] && f <= families.NFAM; ++i) {
    if (population.IPAR1[i] == families.first_parent(f) &&
        population.IPAR2[i] == families.second_parent(f)) {
      rows[f++] = i;
    }
  }
  return rows;
}

}  // namespace

PedigreeAnalysis analyse_pedigree(const Population& population, int pedigree) {
  std::unique_ptr<PeelingEngine> engine = make_production_engine();
  return analyse_pedigree(population, pedigree, *engine);
}

PedigreeAnalysis analyse_pedigree(const Population& population, int pedigree,
                                  PeelingEngine& engine) {
  PedigreeAnalysis analysis;
  analysis.pedigree = pedigree;
  analysis.first_row.assign(1, 0);
  if (population.KEND[pedigree] - population.KEND[pedigree - 1] == 0) return analysis;

  engine.start_pedigree(population, pedigree, analysis.families);
  RecordingSink sink;
  PassContext context{sink, engine.lookup(), pedigree, analysis.families};
  try {
    if (take_families(context, engine) == PedigreeOutcome::kLoop) analysis.end = PassesEnd::kLoop;
  } catch (const RunStop& stop) {
    analysis.end = PassesEnd::kStop;
    analysis.stop_reason = stop.reason;
    analysis.stop_message = trimmed(stop_message(stop.reason));
  }
  analysis.taken = std::move(sink.taken);
  const Families& families = analysis.families;
  number_taken(families, analysis.taken);
  analysis.first_row = first_rows(population, pedigree, families);
  analysis.order.assign(static_cast<size_t>(families.NFAM) + 1, 0);
  for (size_t k = 0; k < analysis.taken.size(); ++k) {
    analysis.order[analysis.taken[k].family] = static_cast<int32_t>(k) + 1;
  }
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (!families.taken(f)) analysis.left.push_back(f);
  }
  if (analysis.end == PassesEnd::kLoop) analysis.loop = shortest_loop(families, analysis.left);
  return analysis;
}

}  // namespace pedpeel::pedinfo
