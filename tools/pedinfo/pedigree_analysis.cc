#include "tools/pedinfo/pedigree_analysis.h"

#include <map>
#include <sstream>
#include <utility>

#include "pedigree/engine.h"
#include "pedigree/pedigree_core.h"
#include "records/run_end.h"

namespace pedpeel::pedinfo {

namespace {

// Keeps every family the passes take; the family is found by its ordered parent pair,
// which no two families of a pedigree share.
class RecordingSink : public RecordSink {
 public:
  explicit RecordingSink(const Families& families) {
    for (int32_t f = 1; f <= families.NFAM; ++f) {
      family_of_pair_.emplace(std::pair(families.first_parent(f), families.second_parent(f)), f);
    }
  }

  void emit(const FamilyRecord& record, const RowLookup& /*lookup*/) override {
    TakenFamily family;
    family.family = family_of_pair_.at(std::pair(record.members[0], record.members[1]));
    family.itype = record.itype;
    family.iway = record.iway;
    family.members.assign(record.members.begin(), record.members.end());
    taken.push_back(std::move(family));
  }

  std::vector<TakenFamily> taken;

 private:
  std::map<std::pair<int16_t, int16_t>, int32_t> family_of_pair_;
};

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \r\n") - first + 1);
}

}  // namespace

PedigreeAnalysis analyse_pedigree(const Population& population, int pedigree) {
  PedigreeAnalysis analysis;
  analysis.pedigree = pedigree;
  if (population.KEND[pedigree] - population.KEND[pedigree - 1] == 0) return analysis;

  // The passes need the run's I/O only for the console line of a stop; no unit is opened.
  std::istringstream in;
  std::ostringstream console;
  RunEnvironment environment{".", {}, &in, &console, &console};
  RunIo io(-1, environment);

  std::unique_ptr<PeelingEngine> engine = make_reference_engine();
  engine->start_pedigree(population, pedigree, analysis.families);
  RecordingSink sink(analysis.families);
  PassContext context{io, sink, engine->lookup(), pedigree, analysis.families};
  try {
    if (take_families(context, *engine) == PedigreeOutcome::kLoop) analysis.end = PassesEnd::kLoop;
  } catch (const RunStop&) {
    analysis.end = PassesEnd::kStop;
    analysis.stop_message = trimmed(console.str());
  }
  analysis.taken = std::move(sink.taken);
  const Families& families = analysis.families;
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
