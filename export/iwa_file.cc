#include "export/iwa_file.h"

#include <algorithm>
#include <span>

#include "records/binary_records.h"
#include "records/run_files.h"

namespace pedpeel {

namespace {

// `count` entries of `table` from index `first`, no further than the table reaches.
template <typename T>
std::span<const T> entries(const std::vector<T>& table, size_t first, int64_t count) {
  if (count <= 0 || first >= table.size()) return {};
  const size_t available = table.size() - first;
  return {table.data() + first, std::min(available, static_cast<size_t>(count))};
}

int32_t not_negative(int32_t count) {
  return count < 0 ? 0 : count;
}

}  // namespace

std::vector<std::string> iwa_records(const Population& population, const RecordTables& records) {
  const int32_t NPED = not_negative(population.NPED);
  const int32_t NFAMREC = not_negative(records.NFAMREC);
  const int32_t NIND = not_negative(population.NIND);
  const int16_t nped16 = static_cast<int16_t>(NPED);
  const int16_t nfamrec16 = static_cast<int16_t>(NFAMREC);
  std::vector<std::string> data;

  BinaryRecord pedigrees;
  pedigrees.add_i4(NPED);
  pedigrees.add_i2(std::span(&nped16, 1));
  pedigrees.add_i2(entries(population.KEND, 0, NPED + 1));
  data.emplace_back(pedigrees.data());

  BinaryRecord pedigree_records;
  pedigree_records.add_i2(std::span(&records.PEDFAM_COUNT, 1));
  pedigree_records.add_i2(entries(records.PEDFAM, 1, NPED + 1));
  data.emplace_back(pedigree_records.data());

  BinaryRecord starts;
  starts.add_i4(NFAMREC + 2);
  starts.add_i2(std::span(&nfamrec16, 1));
  starts.add_i2(entries(records.LSTART, 1, NFAMREC + 1));
  data.emplace_back(starts.data());

  const int32_t T =
      static_cast<size_t>(NFAMREC) + 1 < records.LSTART.size() ? records.LSTART[NFAMREC + 1] : 0;
  BinaryRecord members;
  members.add_i4(not_negative(T));
  members.add_i2(entries(records.MEMBERS, 1, T));
  data.emplace_back(members.data());

  BinaryRecord ways;
  ways.add_i2(entries(records.IWAYREC, 1, NFAMREC));
  data.emplace_back(ways.data());

  BinaryRecord races;
  races.add_i1(entries(population.RACE, 1, NIND));
  data.emplace_back(races.data());

  BinaryRecord sexes;
  sexes.add_i1(entries(population.SEX, 1, NIND));
  data.emplace_back(sexes.data());
  return data;
}

void write_iwa_file(Units& units, const Population& population, const RecordTables& records) {
  units.open(kExportUnit, kIwaFile, Form::kBinary, OpenIntent::kOutput);
  for (const std::string& record : iwa_records(population, records)) {
    write_binary_record(units, kExportUnit, record);
  }
  units.close(kExportUnit);
}

}  // namespace pedpeel
