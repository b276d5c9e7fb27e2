// The original identifiers of a population that pedprep numbered for pedpeel, read from the
// ids.tsv it writes (tools/pedinfo/ids_tsv.h; at least the columns iped, id, family,
// original and source, and copy_of when the output holds copies). pedinfo shows the
// original id beside every pedpeel number (IPED and ID) it prints, for a copy of an animal
// also the row it copies, and finds the rows of an original id.
#ifndef PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_
#define PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/pedinfo/ids_tsv.h"

namespace pedpeel::pedinfo {

// Where the columns pedinfo reads stand in the lines of an ids.tsv.
struct IdsColumns {
  static constexpr size_t kAbsent = static_cast<size_t>(-1);
  size_t iped = 0;
  size_t id = 0;
  size_t original = 0;
  size_t source = 0;
  size_t copy_of = kAbsent;  // absent in an output without copies
  size_t count = 0;          // columns the header names
};

/// The columns of the header line `line`; what is missing, or nullopt.
std::optional<std::string> read_ids_header(std::string_view line, IdsColumns* columns);

/// The tab-separated fields of `line`.
std::vector<std::string_view> split_tabs(std::string_view line);

// One line of an ids.tsv.
struct IdsRow {
  int16_t iped = 0;
  int16_t id = 0;
  std::string original;
  std::string source;   // one of the sources of ids_tsv.h
  std::string copy_of;  // a copy's original row as RUN/IPED/ID; empty for other rows
  bool is_copy() const { return !copy_of.empty() || source == ids_tsv::kSourceCopy; }
};

class OriginalIds {
 public:
  /// Reads `path`. Returns what is wrong with it (naming the file and line), or nullopt.
  std::optional<std::string> read(const std::string& path);

  /// The original id of ID `id` of the pedigree numbered `iped`, nullptr when the file
  /// has no such line.
  const std::string* find(int16_t iped, int16_t id) const;
  /// For a copy, the row it copies as RUN/IPED/ID; nullptr for any other row.
  const std::string* copy_of(int16_t iped, int16_t id) const;
  /// The line for ID `id` of IPED `iped` (the first when there are more), nullptr when none.
  const IdsRow* row(int16_t iped, int16_t id) const;
  /// IPED of row `row` (from 1), as the file's line for that row gives it.
  std::optional<int16_t> iped_of_row(int32_t row) const;
  /// Every line, by row - 1.
  const std::vector<IdsRow>& rows() const { return rows_; }

 private:
  static uint32_t key(int16_t iped, int16_t id) {
    return uint32_t{static_cast<uint16_t>(iped)} << 16 | static_cast<uint16_t>(id);
  }

  std::vector<IdsRow> rows_;                       // by row - 1
  std::unordered_map<uint32_t, size_t> first_of_;  // by (IPED, ID): index of its first line
};

/// How pedinfo shows an original id: `original`, and ", copy of RUN/IPED/ID" for a copy.
std::string original_text(const std::string& original, const std::string* copy_of);

/// "ID" as pedinfo prints it: the number, then " [original]" when `ids` knows it (with
/// ", copy of RUN/IPED/ID" inside the brackets for a copy).
std::string id_text(const OriginalIds* ids, int16_t iped, int16_t id);
/// The same appended to *text.
void append_id_text(std::string* text, const OriginalIds* ids, int16_t iped, int16_t id);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_
