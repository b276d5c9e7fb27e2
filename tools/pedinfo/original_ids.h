// The original identifiers of a population that pedprep numbered for pedpeel, read from the
// ids.tsv it writes (tools/pedinfo/ids_tsv.h; at least the columns iped, id, family,
// original and source). pedinfo shows the original id beside every pedpeel number (IPED
// and ID) it prints, and for a copy of an animal also the row it copies.
#ifndef PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_
#define PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pedpeel::pedinfo {

class OriginalIds {
 public:
  /// Reads `path`. Returns what is wrong with it (naming the file and line), or nullopt.
  std::optional<std::string> read(const std::string& path);

  /// The original id of ID `id` of the pedigree numbered `iped`, nullptr when the file
  /// has no such line.
  const std::string* find(int16_t iped, int16_t id) const;
  /// For a copy, the row it copies as RUN/IPED/ID; nullptr for any other row.
  const std::string* copy_of(int16_t iped, int16_t id) const;
  /// IPED of row `row` (from 1), as the file's line for that row gives it.
  std::optional<int16_t> iped_of_row(int32_t row) const;

 private:
  static uint32_t key(int16_t iped, int16_t id) {
    return uint32_t{static_cast<uint16_t>(iped)} << 16 | static_cast<uint16_t>(id);
  }

  std::vector<int16_t> IPED_;                           // by row - 1
  std::unordered_map<uint32_t, std::string> original_;  // by (IPED, ID): first line's original
  std::unordered_map<uint32_t, std::string> copy_of_;   // by (IPED, ID), the copies only
};

/// How pedinfo shows an original id: `original`, and ", copy of RUN/IPED/ID" for a copy.
std::string original_text(const std::string& original, const std::string* copy_of);

/// "ID" as pedinfo prints it: the number, then " [original]" when `ids` knows it (with
/// ", copy of RUN/IPED/ID" inside the brackets for a copy).
std::string id_text(const OriginalIds* ids, int16_t iped, int16_t id);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_ORIGINAL_IDS_H_
