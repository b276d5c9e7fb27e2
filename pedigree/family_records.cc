#include "pedigree/family_records.h"

#include <string_view>

#include "records/patterns.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr int32_t kMaxMemberEntries = 32767;

// INI_ID shown for a member without a row in its pedigree.
constexpr IniId kBlankIniId = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

void append_to_tables(RecordTables& records, const FamilyRecord& record) {
  records.MEMBERS.insert(records.MEMBERS.end(), record.members.begin(), record.members.end());
  const int32_t r = records.IREC;
  records.IWAYREC.push_back(static_cast<int16_t>(record.iway));
  records.ITYPE.push_back(record.itype);
  records.LSTART.push_back(static_cast<int16_t>(records.LSTART[r] + record.members.size()));
  records.IREC = r + 1;
}

void write_block(EmitContext& context, const RowLookup& lookup, const FamilyRecord& record) {
  const Population& population = context.population;
  std::vector<int32_t> rows;
  rows.reserve(record.members.size());
  for (int16_t id : record.members) rows.push_back(lookup.row_of(id));

  RecordStatement statement(context.io.units);
  statement.begin_statement(kVolmaUnit, PAT_HEADER, Direction::kWrite);
  statement.transfer(int32_t{record.pedigree});
  statement.transfer(record.npot);
  statement.transfer(record.iway);
  statement.transfer(record.itype);
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_IDS, Direction::kWrite);
  for (int16_t id : record.members) statement.transfer(int32_t{id});
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_INI_ID, Direction::kWrite);
  for (int32_t row : rows) {
    const IniId& ini = row != 0 ? population.INI_ID[row] : kBlankIniId;
    statement.transfer(std::string_view(ini.data(), ini.size()));
  }
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_TRAIT, Direction::kWrite);
  for (size_t m = 0; m < rows.size(); ++m) statement.transfer(int32_t{0});
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_SEX, Direction::kWrite);
  for (int32_t row : rows) statement.transfer(int32_t{row != 0 ? population.SEX[row] : int8_t{0}});
  statement.end_statement();

  statement.begin_statement(kVolmaUnit, PAT_RACE, Direction::kWrite);
  for (int32_t row : rows) statement.transfer(int32_t{row != 0 ? population.RACE[row] : int8_t{0}});
  statement.end_statement();

  const int fractions = population.fraction_count();
  for (int32_t row : rows) {
    statement.begin_statement(kVolmaUnit, PAT_BLOOD, Direction::kWrite);
    for (int j = 0; j < fractions; ++j) {
      statement.transfer(row != 0 ? population.BLOOD[row][j] : 0.0f);
    }
    statement.end_statement();
  }
}

}  // namespace

LinearRowLookup::LinearRowLookup(const Population& population, int pedigree)
    : population_(population),
      first_row_(population.KEND[pedigree - 1] + 1),
      last_row_(population.KEND[pedigree]) {}

int32_t LinearRowLookup::row_of(int16_t id) const {
  for (int32_t i = first_row_; i <= last_row_; ++i) {
    if (population_.ID[i] == id) return i;
  }
  return 0;
}

void write_volma_first_record(RunIo& io, const Population& population) {
  RecordStatement statement(io.units);
  statement.begin_statement(kVolmaUnit, PAT_IDS, Direction::kWrite);
  statement.transfer(int32_t{population.KEND[population.NPED]});
  statement.transfer(population.NRACE);
  statement.end_statement();
}

void VolmaRecordSink::emit(const FamilyRecord& record, const RowLookup& lookup) {
  emit_family_record(context_, lookup, record);
}

void emit_family_record(EmitContext& context, const RowLookup& lookup, const FamilyRecord& record) {
  RecordTables& records = context.records;
  const int64_t end = int64_t{records.LSTART[records.IREC]} + int64_t(record.members.size());
  if (end > kMaxMemberEntries) {
    stop_with_message(context.io, " Error: more than 32767 family member entries.");
  }
  append_to_tables(records, record);
  write_block(context, lookup, record);
}

}  // namespace pedpeel
