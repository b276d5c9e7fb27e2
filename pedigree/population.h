// The population tables: one row per individual, numbered from 1 in pedigree-file order,
// and the division of the rows into pedigrees.
#ifndef PEDPEEL_PEDIGREE_POPULATION_H_
#define PEDPEEL_PEDIGREE_POPULATION_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "records/limits.h"

namespace pedpeel {

using IniId = std::array<char, kIniIdLength>;
using Fractions = std::array<float, kMaxFractions>;

struct Population {
  int32_t NIND = 0;   // individuals in use (the BLOOD file's count once it is loaded)
  int32_t NRACE = 0;  // races; each individual has NRACE - 1 fractions

  // Attributes by row; index 0 is unused. Rows that no file wrote keep zeros (and twelve
  // zero bytes of INI_ID).
  std::vector<int16_t> IPED;
  std::vector<int16_t> ID;
  std::vector<int16_t> IPAR1;  // 0: no known parents
  std::vector<int16_t> IPAR2;
  std::vector<int8_t> RACE;
  std::vector<int8_t> SEX;
  std::vector<IniId> INI_ID;
  std::vector<Fractions> BLOOD;  // BLOOD[i][j - 1] is fraction j of row i

  int16_t NPED = 0;           // number of pedigrees
  std::vector<int16_t> KEND;  // KEND[0] = 0; pedigree p is rows KEND[p-1]+1 .. KEND[p]

  /// Grows every row table so that rows 1..rows exist.
  void reserve_rows(int32_t rows);
  /// Number of rows the tables hold (the largest row number).
  int32_t row_capacity() const { return static_cast<int32_t>(ID.size()) - 1; }
  /// Fractions each individual carries: NRACE - 1, at least 0.
  int fraction_count() const { return NRACE > 1 ? NRACE - 1 : 0; }
};

/// One individual as its pedigree record and BLOOD record describe it; for building the
/// tables without the files (pedgen and pedprep).
struct IndividualRecord {
  int16_t IPED = 0;
  int16_t ID = 0;
  int16_t IPAR1 = 0;
  int16_t IPAR2 = 0;
  int8_t RACE = 0;
  int8_t SEX = 0;
  IniId INI_ID{};
  Fractions BLOOD{};
};

/// The tables the loader and the grouping pass make of `records`, in their order.
Population population_of(std::span<const IndividualRecord> records, int32_t NRACE);

/// The grouping pass: a pedigree is a run of consecutive rows with the same IPED. Sets NPED
/// and KEND; with NIND below 1 there is still one pedigree, of row 1.
void group_pedigrees(Population& population);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_POPULATION_H_
