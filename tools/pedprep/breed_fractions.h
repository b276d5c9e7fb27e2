// The race fractions blood.dat carries for every animal pedprep writes: as the columns of
// --fractions give them, or computed from the pedigree and the races of the founders.
#ifndef PEDPEEL_TOOLS_PEDPREP_BREED_FRACTIONS_H_
#define PEDPEEL_TOOLS_PEDPREP_BREED_FRACTIONS_H_

#include <cstdint>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/breeds.h"
#include "tools/pedprep/pedigrees.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {

struct Blood {
  int32_t NRACE = 1;  // each animal carries NRACE - 1 fractions
  // Fraction j (of race j + 1) of animal a at [a * (NRACE - 1) + j], for the animals
  // before the copies: a copy carries those of the animal it stands for.
  std::vector<float> of_animal;

  const float* fractions_of(int32_t animal) const {
    return of_animal.data() + static_cast<size_t>(animal) * static_cast<size_t>(NRACE - 1);
  }
};

/// The fractions of the --fractions columns: a row's as read, 0 for an animal pedprep adds.
Blood blood_from_rows(const InputTable& table, const Animals& animals);

/// The fractions that follow from the pedigree, for races.columns races (none when 0):
/// a founder of a known race is wholly that race (a race past the columns counts in none
/// of them); a founder of unknown race, and every founder pedprep adds, carries the mean
/// of the known-race founders of its pedigree, or when its pedigree has none, of the
/// whole population; every other animal carries the mean of its parents.
Blood blood_from_pedigree(const Animals& animals, const Pedigrees& pedigrees, const Races& races);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_BREED_FRACTIONS_H_
