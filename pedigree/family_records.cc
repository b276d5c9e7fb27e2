#include "pedigree/family_records.h"

#include <array>
#include <string_view>

#include "pedigree/volma_block.h"
#include "records/patterns.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr int32_t kMaxMemberEntries = 32767;

void append_to_tables(RecordTables& records, const FamilyRecord& record) {
  records.MEMBERS.insert(records.MEMBERS.end(), record.members.begin(), record.members.end());
  const int32_t r = records.IREC;
  records.IWAYREC.push_back(static_cast<int16_t>(record.iway));
  records.ITYPE.push_back(record.itype);
  records.LSTART.push_back(static_cast<int16_t>(records.LSTART[r] + record.members.size()));
  records.IREC = r + 1;
}

void write_block(EmitContext& context, const RowLookup& lookup, const FamilyRecord& record,
                 ExponentFieldCache* blood_fields) {
  // Rows of the members; families small enough (nearly all) need no allocation.
  std::array<int32_t, 128> few;
  std::vector<int32_t> many;
  std::span<int32_t> rows(few.data(), record.members.size());
  if (record.members.size() > few.size()) {
    many.resize(record.members.size());
    rows = many;
  }
  for (size_t m = 0; m < rows.size(); ++m) rows[m] = lookup.row_of(record.members[m]);
  write_volma_block(context.io.units, kVolmaUnit, context.population, record, rows, blood_fields);
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
  emit_family_record(context_, lookup, record, &blood_fields_);
}

void emit_family_record(EmitContext& context, const RowLookup& lookup, const FamilyRecord& record,
                        ExponentFieldCache* blood_fields) {
  RecordTables& records = context.records;
  const int64_t end = int64_t{records.LSTART[records.IREC]} + int64_t(record.members.size());
  if (end > kMaxMemberEntries) {
    stop_with_message(context.io, " Error: more than 32767 family member entries.");
  }
  append_to_tables(records, record);
  write_block(context, lookup, record, blood_fields);
}

}  // namespace pedpeel
