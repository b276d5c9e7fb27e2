#include "tools/pedprep/loop_warnings.h"

#include <memory>
#include <string>

#include "pedigree/engine.h"
#include "pedigree/population.h"
#include "records/limits.h"
#include "tools/pedinfo/pedigree_analysis.h"
#include "tools/pedprep/run_output.h"

namespace pedpeel::pedprep {

namespace {

// The pedigree alone, as its run's pedigree file numbers it (IPED 1).
Population population_of_pedigree(const Animals& animals, const Pedigrees& pedigrees,
                                  const Pedigree& pedigree) {
  std::vector<IndividualRecord> records(static_cast<size_t>(pedigree.rows));
  for (int32_t k = 0; k < pedigree.rows; ++k) {
    const size_t a =
        static_cast<size_t>(pedigrees.members[static_cast<size_t>(pedigree.first + k)]);
    IndividualRecord& record = records[static_cast<size_t>(k)];
    record.IPED = 1;
    record.ID = static_cast<int16_t>(pedigrees.id_of[a]);
    if (animals.list[a].sire >= 0) {
      record.IPAR1 =
          static_cast<int16_t>(pedigrees.id_of[static_cast<size_t>(animals.list[a].sire)]);
      record.IPAR2 =
          static_cast<int16_t>(pedigrees.id_of[static_cast<size_t>(animals.list[a].dam)]);
    }
    record.RACE = animals.list[a].race;
    record.SEX = animals.list[a].sex;
  }
  return population_of(records, 1);
}

}  // namespace

std::vector<uint8_t> pedigrees_pedpeel_refuses(const Animals& animals, const Pedigrees& pedigrees,
                                               std::span<const uint8_t> known_taken) {
  std::vector<uint8_t> refused(pedigrees.list.size(), 0);
  std::unique_ptr<PeelingEngine> engine;
  for (size_t p = 0; p < pedigrees.list.size(); ++p) {
    const Pedigree& pedigree = pedigrees.list[p];
    if (!pedigree.has_cycle || pedigree.rows > kMaxIndividuals) continue;
    if (!known_taken.empty() && known_taken[p] != 0) continue;
    if (!engine) engine = make_production_engine();
    const Population population = population_of_pedigree(animals, pedigrees, pedigree);
    refused[p] = pedinfo::analyse_pedigree(population, 1, *engine).end != pedinfo::PassesEnd::kDone;
  }
  return refused;
}

void warn_of_loops(const Animals& animals, const Pedigrees& pedigrees, const std::vector<Run>& runs,
                   Report& report) {
  // One engine for every pedigree: a new one would clear its tables for each.
  const std::unique_ptr<PeelingEngine> engine = make_production_engine();
  for (size_t r = 0; r < runs.size(); ++r) {
    for (size_t k = 0; k < runs[r].pedigrees.size(); ++k) {
      const Pedigree& pedigree = pedigrees.list[static_cast<size_t>(runs[r].pedigrees[k])];
      if (!pedigree.has_cycle) continue;
      const Population population = population_of_pedigree(animals, pedigrees, pedigree);
      const pedinfo::PedigreeAnalysis analysis = pedinfo::analyse_pedigree(population, 1, *engine);
      if (analysis.end == pedinfo::PassesEnd::kDone) continue;
      // The animal of an ID of this pedigree.
      auto animal_of = [&](int32_t id) {
        return pedigrees.members[static_cast<size_t>(pedigree.first + id - 1)];
      };
      const std::string where = run_directory_name(r) + " (IPED " + std::to_string(k + 1) + ")";
      int64_t line = animals.list[static_cast<size_t>(pedigree.named_by)].line;
      std::string message = pedigree_name(animals, pedigree);
      if (analysis.end == pedinfo::PassesEnd::kStop) {
        message += ": pedpeel stops " + where + " at this pedigree: " + analysis.stop_message;
      } else {
        message += " has a loop pedpeel cannot take apart";
        if (!analysis.loop.empty()) {
          line = animals.list[static_cast<size_t>(animal_of(analysis.loop.front().value))].line;
          message += "; shortest loop: ";
          for (const pedinfo::LoopNode& node : analysis.loop) {
            if (node.is_family) {
              message +=
                  "family (" +
                  animal_name(animals, animal_of(analysis.families.first_parent(node.value))) +
                  " x " +
                  animal_name(animals, animal_of(analysis.families.second_parent(node.value))) +
                  "), ";
            } else {
              message += animal_name(animals, animal_of(node.value)) + ", ";
            }
          }
          message += "back to " + animal_name(animals, animal_of(analysis.loop.front().value));
        }
        message += "; pedpeel will report it in def.err of " + where + " and stop there";
      }
      report.warning(line, Warning::kLoop, message);
    }
  }
}

}  // namespace pedpeel::pedprep
