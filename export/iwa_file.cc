#include "export/iwa_file.h"

#include <algorithm>
#include <span>
#include <stdexcept>

#include "export/iwa_format.h"
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

// Builds the data of record r field by field, in the order and widths of its layout in
// kIwaLayout. A field given out of that layout is a fault of this file, not of the data.
class IwaRecordWriter {
 public:
  explicit IwaRecordWriter(int r) : fields_(iwa_record_layout(r).fields()) {}

  void single(int32_t value) {
    const IwaField& field = next(/*single=*/true);
    if (field.width == 4) {
      data_.add_i4(value);
    } else {
      const auto narrow = static_cast<int16_t>(value);
      data_.add_i2(std::span(&narrow, 1));
    }
  }
  void table(std::span<const int16_t> values) {
    if (next(/*single=*/false).width != 2) fail();
    data_.add_i2(values);
  }
  void table(std::span<const int8_t> values) {
    if (next(/*single=*/false).width != 1) fail();
    data_.add_i1(values);
  }

  /// The record's data; every field of the layout must have been given.
  std::string data() const {
    if (given_ != fields_.size()) fail();
    return std::string(data_.data());
  }

 private:
  // The next field of the layout, which must be a single value or a table as said.
  const IwaField& next(bool single) {
    if (given_ == fields_.size()) fail();
    const IwaField& field = fields_[given_++];
    if ((field.first_index == kIwaSingle) != single) fail();
    if (single && field.width == 1) fail();
    return field;
  }
  [[noreturn]] static void fail() {
    throw std::logic_error("iway.IWA: a record written out of its layout in kIwaLayout");
  }

  std::span<const IwaField> fields_;
  size_t given_ = 0;
  BinaryRecord data_;
};

}  // namespace

std::vector<std::string> iwa_records(const Population& population, const RecordTables& records) {
  const int32_t NPED = not_negative(population.NPED);
  const int32_t NFAMREC = not_negative(records.NFAMREC);
  const int32_t NIND = not_negative(population.NIND);
  std::vector<std::string> data;

  IwaRecordWriter pedigrees(1);
  pedigrees.single(NPED);
  pedigrees.single(NPED);
  pedigrees.table(entries(population.KEND, 0, NPED + 1));
  data.push_back(pedigrees.data());

  IwaRecordWriter pedigree_records(2);
  pedigree_records.single(records.PEDFAM_COUNT);
  pedigree_records.table(entries(records.PEDFAM, 1, NPED + 1));
  data.push_back(pedigree_records.data());

  IwaRecordWriter starts(3);
  starts.single(NFAMREC + 2);
  starts.single(NFAMREC);
  starts.table(entries(records.LSTART, 1, NFAMREC + 1));
  data.push_back(starts.data());

  const int32_t T =
      static_cast<size_t>(NFAMREC) + 1 < records.LSTART.size() ? records.LSTART[NFAMREC + 1] : 0;
  IwaRecordWriter members(4);
  members.single(not_negative(T));
  members.table(entries(records.MEMBERS, 1, T));
  data.push_back(members.data());

  IwaRecordWriter ways(5);
  ways.table(entries(records.IWAYREC, 1, NFAMREC));
  data.push_back(ways.data());

  IwaRecordWriter races(6);
  races.table(entries(population.RACE, 1, NIND));
  data.push_back(races.data());

  IwaRecordWriter sexes(7);
  sexes.table(entries(population.SEX, 1, NIND));
  data.push_back(sexes.data());
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
