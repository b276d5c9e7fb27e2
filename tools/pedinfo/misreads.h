// The records of the data files that pedpeel reads without complaint, or fails on, for a
// reason its error does not name: blanks between the digits of a number (a file separated
// by spaces, not laid out in fixed columns), a fraction without a decimal point, text past
// column 42 of a pedigree record, a count of 0, a header row, a byte order mark. Each
// record is looked at as the loader reads it.
#ifndef PEDPEEL_TOOLS_PEDINFO_MISREADS_H_
#define PEDPEEL_TOOLS_PEDINFO_MISREADS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pedigree/loader.h"
#include "tools/pedinfo/finding.h"

namespace pedpeel::pedinfo {

// A data field of a record, named for messages.
struct FieldName {
  std::string name;  // e.g. "IPAR1", "NRACE", "fraction 2"
  int first_column;  // from 1
  int width;
};

/// Item `item` (from 0) of the record of `row` (0: the count record) of `file`.
FieldName field_of(DataFile file, int32_t row, int item);

/// The columns of that field alone, without its name: the first and the width.
std::pair<int, int> field_columns(DataFile file, int32_t row, int item);

/// The field's columns of the record, as far as the record reaches.
std::string_view field_text(std::string_view record, int first_column, int width);
inline std::string_view field_text(std::string_view record, const FieldName& field) {
  return field_text(record, field.first_column, field.width);
}

/// When the failure of item `item` of `record` has a cause the run-time error does not
/// name (a header row, a byte order mark), the finding that names it. The caller reports
/// it instead of the conversion error, and no other failure of the record.
std::optional<Finding> failure_cause(const LoadedRecord& record, const std::string& file, int item,
                                     const RunError& error);

/// The warnings about a record read whole. Bit k of `failed` marks item k as failed (it
/// has its own finding); `fractions` is the number of fractions a BLOOD record carries.
void find_misreads(const LoadedRecord& record, const std::string& file, uint32_t failed,
                   int fractions, std::vector<Finding>* findings);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_MISREADS_H_
