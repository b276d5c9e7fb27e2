#include "pedigree/family_records.h"

#include <array>
#include <string_view>

#include "pedigree/volma_block.h"
#include "records/limits.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

void append_family_record(RecordTables& records, const FamilyRecord& record) {
  const int32_t r = records.IREC;
  const int64_t end = int64_t{records.LSTART[r]} + int64_t(record.members.size());
  if (end > kMaxMemberEntries) throw RunStop{StopReason::kTooManyMemberEntries};
  records.MEMBERS.insert(records.MEMBERS.end(), record.members.begin(), record.members.end());
  records.IWAYREC.push_back(static_cast<int16_t>(record.iway));
  records.ITYPE.push_back(record.itype);
  records.LSTART.push_back(static_cast<int16_t>(end));
  records.IREC = r + 1;
}

RecordTablesSink::RecordTablesSink(const Population& population, RecordTables& records)
    : population_(population), records_(records) {
  records.PEDFAM.assign(static_cast<size_t>(population.NPED) + 2, 0);
  records.PEDFAM_COUNT = population.NPED;
}

void RecordTablesSink::begin_pedigree(int pedigree, int32_t families) {
  records_.PEDFAM[pedigree + 1] = static_cast<int16_t>(records_.PEDFAM[pedigree] + families);
}

void RecordTablesSink::emit(const FamilyRecord& record, const RowLookup&) {
  append_family_record(records_, record);
}

void VolmaRecordSink::emit(const FamilyRecord& record, const RowLookup& lookup) {
  RecordTablesSink::emit(record, lookup);
  // Rows of the members; families small enough (nearly all) need no allocation.
  std::array<int32_t, 128> few;
  std::vector<int32_t> many;
  std::span<int32_t> rows(few.data(), record.members.size());
  if (record.members.size() > few.size()) {
    many.resize(record.members.size());
    rows = many;
  }
  for (size_t m = 0; m < rows.size(); ++m) rows[m] = lookup.row_of(record.members[m]);
  write_volma_block(units_, population_, record, rows);
}

void write_volma_first_record(Units& units, const Population& population) {
  RecordStatement statement(units);
  statement.begin_statement(kVolmaUnit, PAT_IDS, Direction::kWrite);
  statement.transfer(int32_t{population.KEND[population.NPED]});
  statement.transfer(population.NRACE);
  statement.end_statement();
}

}  // namespace pedpeel
