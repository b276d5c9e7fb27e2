#include "pedigree/input_writer.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "records/exponent_field_cache.h"
#include "records/patterns.h"
#include "records/record_writer.h"
#include "records/run_files.h"
#include "records/whole_file.h"

namespace pedpeel {

std::string control_file_text(const InputFileNames& names) {
  std::string text;
  RecordWriter writer(&text);
  for (const std::string& name : {names.pedigree, names.blood}) {
    writer.begin(PAT_NAME20);
    // Aw right-justifies a shorter item; a name field is read trimmed, but keep it at the left.
    writer.put(name + std::string(name.size() < kNameWidth ? kNameWidth - name.size() : 0, ' '));
    writer.end();
  }
  return text;
}

std::string pedigree_file_text(std::span<const IndividualRecord> individuals) {
  std::string text;
  text.reserve(44 * (individuals.size() + 1));
  RecordWriter writer(&text);
  writer.begin(PAT_COUNTS);
  writer.put(static_cast<int32_t>(individuals.size()));
  writer.end();
  for (const IndividualRecord& row : individuals) {
    writer.begin(PAT_PEDREC);
    const int32_t numbers[] = {row.IPED, row.ID, row.IPAR1, row.IPAR2, row.RACE, row.SEX};
    writer.put(numbers);
    writer.put(std::string_view(row.INI_ID.data(), row.INI_ID.size()));
    writer.end();
  }
  return text;
}

std::string blood_file_text(std::span<const IndividualRecord> individuals, int32_t NRACE) {
  std::string text;
  const size_t fractions = NRACE > 1 ? static_cast<size_t>(NRACE - 1) : 0;
  text.reserve((12 * fractions + 2) * (individuals.size() + 1));
  // Fractions repeat a few values (0, 1, halves, quarters): each is rendered once.
  const Element& field = PAT_BLOODREC.elements.front();
  ExponentFieldCache exponents(field.width, field.digits);
  RecordWriter writer(&text, "", &exponents);
  writer.begin(PAT_COUNTS);
  writer.put(static_cast<int32_t>(individuals.size()));
  writer.put(NRACE);
  writer.end();
  // Animals of one pedigree often have the same fractions, and a file few distinct ones:
  // a record with the fractions of one written before is a copy of its bytes. The last
  // record written is remembered for each of kSlots hashes of the fractions' bits.
  struct Written {
    const IndividualRecord* row = nullptr;
    size_t start = 0;
    size_t length = 0;
  };
  constexpr int kSlotBits = 10;
  std::vector<Written> written(size_t{1} << kSlotBits);
  for (const IndividualRecord& row : individuals) {
    uint32_t hash = 0;
    for (size_t j = 0; j < fractions; ++j) {
      uint32_t bits;
      std::memcpy(&bits, &row.BLOOD[j], sizeof bits);
      hash = (hash ^ bits) * 0x9E3779B1u;
    }
    Written& slot = written[hash >> (32 - kSlotBits)];
    if (slot.row != nullptr &&
        std::memcmp(row.BLOOD.data(), slot.row->BLOOD.data(), fractions * sizeof(float)) == 0) {
      text.append(text, slot.start, slot.length);
      continue;
    }
    const size_t start = text.size();
    writer.begin(PAT_BLOODREC);
    writer.put(std::span<const float>(row.BLOOD.data(), fractions));
    writer.end();
    slot = {&row, start, text.size() - start};
  }
  return text;
}

std::string write_input_files(const std::string& directory,
                              std::span<const IndividualRecord> individuals, int32_t NRACE,
                              const InputFileNames& names) {
  const std::string prefix = directory.empty() ? "" : directory + "/";
  const auto write = [](const std::string& path, std::string_view bytes) {
    return describe_file_error(path, write_whole_file(path, bytes));
  };
  std::string error = write(prefix + kControlFile, control_file_text(names));
  if (error.empty()) error = write(prefix + names.pedigree, pedigree_file_text(individuals));
  if (error.empty()) error = write(prefix + names.blood, blood_file_text(individuals, NRACE));
  return error;
}

}  // namespace pedpeel
