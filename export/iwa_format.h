// The layout of iway.IWA, shared by its writer (the second stage) and its reader (pedinfo
// dump): seven binary records (framing in records/binary_format.h), each a run of fields in
// a fixed order. A field is a single value or a table of little-endian integers of one
// width; how many values a table holds follows from the fields before it.
#ifndef PEDPEEL_EXPORT_IWA_FORMAT_H_
#define PEDPEEL_EXPORT_IWA_FORMAT_H_

#include <array>
#include <span>
#include <string_view>

#include "records/binary_format.h"

namespace pedpeel {

inline constexpr int kIwaRecordCount = 7;

// first_index of a field that is a single value, not a table.
inline constexpr int kIwaSingle = -1;

struct IwaField {
  std::string_view name;  // the table's or count's name: NPED, KEND, ...
  int width;              // bytes per value: 4, 2 or 1
  int first_index;        // a table: the index of its first value; kIwaSingle otherwise
};

struct IwaRecordLayout {
  std::string_view title;  // what the record holds
  std::array<IwaField, 3> slots;
  int field_count;  // slots used, from the first

  std::span<const IwaField> fields() const {
    return std::span(slots).first(static_cast<size_t>(field_count));
  }
};

// The records in file order (record r at index r - 1), with the count each table holds:
//   1. NPED; NPED again; KEND(0..NPED)
//   2. NPED (PEDFAM's count slot); PEDFAM(1..NPED+1)
//   3. NFAMREC+2; NFAMREC; LSTART(1..NFAMREC+1)
//   4. T = LSTART(NFAMREC+1); MEMBERS(1..T)
//   5. IWAYREC(1..NFAMREC)
//   6. RACE(1..NIND), recoded
//   7. SEX(1..NIND)
inline constexpr std::array<IwaRecordLayout, kIwaRecordCount> kIwaLayout = {{
    {"pedigrees (NPED, KEND)",
     {{{"NPED", 4, kIwaSingle}, {"NPED", 2, kIwaSingle}, {"KEND", 2, 0}}},
     3},
    {"family records per pedigree (PEDFAM)", {{{"NPED", 2, kIwaSingle}, {"PEDFAM", 2, 1}}}, 2},
    {"record starts (NFAMREC, LSTART)",
     {{{"NFAMREC+2", 4, kIwaSingle}, {"NFAMREC", 2, kIwaSingle}, {"LSTART", 2, 1}}},
     3},
    {"members (MEMBERS)", {{{"T", 4, kIwaSingle}, {"MEMBERS", 2, 1}}}, 2},
    {"linking individuals (IWAYREC)", {{{"IWAYREC", 2, 1}}}, 1},
    {"race codes, recoded (RACE)", {{{"RACE", 1, 1}}}, 1},
    {"sex codes (SEX)", {{{"SEX", 1, 1}}}, 1},
}};

/// The layout of record r, from 1.
constexpr const IwaRecordLayout& iwa_record_layout(int r) {
  return kIwaLayout[static_cast<size_t>(r - 1)];
}

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_IWA_FORMAT_H_
