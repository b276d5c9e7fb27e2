#include "pedigree/volma_block.h"

#include <string_view>

#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr std::string_view kBlankIniId = "            ";
static_assert(kBlankIniId.size() == kIniIdLength);

// One statement of a member attribute: `value(row)` for each member, 0 without a row.
template <typename Value>
void write_codes(RecordStatement& statement, const Pattern& pattern, std::span<const int32_t> rows,
                 const Value& value) {
  statement.begin_statement(kVolmaUnit, pattern, Direction::kWrite);
  for (int32_t row : rows) statement.transfer(row != 0 ? int32_t{value(row)} : int32_t{0});
  statement.end_statement();
}

}  // namespace

void write_volma_block(Units& units, const Population& population, const FamilyRecord& record,
                       std::span<const int32_t> rows) {
  RecordStatement statement(units);
  statement.begin_statement(kVolmaUnit, PAT_HEADER, Direction::kWrite);
  statement.transfer(int32_t{record.pedigree});
  statement.transfer(record.npot);
  statement.transfer(record.iway);
  statement.transfer(record.itype);
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_IDS, Direction::kWrite);
  for (int16_t member : record.members) statement.transfer(int32_t{member});
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_INI_ID, Direction::kWrite);
  for (int32_t row : rows) {
    statement.transfer(row != 0 ? std::string_view(population.INI_ID[row].data(), kIniIdLength)
                                : kBlankIniId);
  }
  statement.end_statement();

  write_codes(statement, PAT_TRAIT, rows, [](int32_t) { return 0; });
  write_codes(statement, PAT_SEX, rows, [&](int32_t row) { return population.SEX[row]; });
  write_codes(statement, PAT_RACE, rows, [&](int32_t row) { return population.RACE[row]; });

  const size_t fractions = static_cast<size_t>(population.fraction_count());
  const Fractions none{};
  for (int32_t row : rows) {
    const Fractions& blood = row != 0 ? population.BLOOD[row] : none;
    statement.write_statement(kVolmaUnit, PAT_BLOOD,
                              std::span<const float>(blood.data(), fractions));
  }
}

}  // namespace pedpeel
