#include "pedigree/volma_block.h"

#include <algorithm>
#include <string_view>

#include "records/field_output.h"

namespace pedpeel {

namespace {

// Data fields per record of the repeating patterns (100I5 and 100A14; 10E12.4), before
// the pattern reverts and a new record starts with the label again.
constexpr size_t kFieldsPerRecord = 100;
constexpr size_t kBloodFieldsPerRecord = 10;
constexpr std::string_view kLineEnd = "\r\n";

// One statement of `items` fields of `width` columns each behind `label`: as many records
// as `per_record` fields per record need (one for no field at all). `field(i, place)`
// renders item i into place[0 .. width). Each record is built in a local buffer and
// appended whole.
template <typename Field>
void write_statement(Units& units, Unit& unit, std::string_view label, size_t items, int width,
                     const Field& field, size_t per_record = kFieldsPerRecord) {
  units.begin_write(unit);
  // The longest record: "INI_ID", 100 fields of 14 columns and the line end.
  char record[8 + kFieldsPerRecord * 14];
  size_t i = 0;
  do {
    char* place = std::copy(label.begin(), label.end(), record);
    for (size_t k = 0; k < per_record && i < items; ++k, ++i) {
      field(i, place);
      place += width;
    }
    place = std::copy(kLineEnd.begin(), kLineEnd.end(), place);
    unit.output.append(record, static_cast<size_t>(place - record));
  } while (i < items);
  units.flush_if_full(unit);
}

}  // namespace

void write_volma_block(Units& units, int unit_number, const Population& population,
                       const FamilyRecord& record, std::span<const int32_t> rows,
                       ExponentFieldCache* blood_fields) {
  Unit& unit = units.unit(unit_number);
  const size_t L = record.members.size();

  // NPEDIGREE=pppp NPOT=nnnn IWAY=wwwww ITYPE=ttt
  units.begin_write(unit);
  char header[45];
  char* place = std::copy_n("NPEDIGREE=", 10, header);
  format_integer(place, record.pedigree, 4);
  place = std::copy_n(" NPOT=", 6, place + 4);
  format_integer(place, record.npot, 4);
  place = std::copy_n(" IWAY=", 6, place + 4);
  format_integer(place, record.iway, 5);
  place = std::copy_n(" ITYPE=", 7, place + 5);
  format_integer(place, record.itype, 3);
  unit.output.append(header, sizeof header);
  unit.output.append(kLineEnd);
  units.flush_if_full(unit);

  write_statement(units, unit, "", L, 5,
                  [&](size_t m, char* field) { format_integer(field, record.members[m], 5); });
  write_statement(units, unit, "INI_ID", L, 14, [&](size_t m, char* field) {
    field[0] = ' ';
    field[1] = ' ';
    if (rows[m] != 0) {
      std::copy_n(population.INI_ID[rows[m]].data(), kIniIdLength, field + 2);
    } else {
      std::fill_n(field + 2, kIniIdLength, ' ');
    }
  });
  write_statement(units, unit, "TRAIT ", L, 5,
                  [](size_t, char* field) { std::copy_n("    0", 5, field); });
  write_statement(units, unit, "SEX   ", L, 5, [&](size_t m, char* field) {
    format_integer(field, rows[m] != 0 ? population.SEX[rows[m]] : 0, 5);
  });
  write_statement(units, unit, "RACE  ", L, 5, [&](size_t m, char* field) {
    format_integer(field, rows[m] != 0 ? population.RACE[rows[m]] : 0, 5);
  });
  const size_t fractions = static_cast<size_t>(population.fraction_count());
  for (int32_t row : rows) {
    write_statement(
        units, unit, "BLOOD ", fractions, 12,
        [&](size_t j, char* field) {
          const float value = row != 0 ? population.BLOOD[row][j] : 0.0f;
          if (blood_fields != nullptr) {
            blood_fields->format(field, value);
          } else {
            format_exponent(field, value, 12, 4);
          }
        },
        kBloodFieldsPerRecord);
  }
}

}  // namespace pedpeel
