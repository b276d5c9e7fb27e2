#include "tools/pedgen/input_files.h"

#include <cstdio>
#include <string_view>

#include "records/field_output.h"

namespace pedpeel::pedgen {

namespace {

void append_i5(std::string& text, int value) {
  append_integer(text, value, 5);
}

bool write_file(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

std::string pedigree_file(const std::vector<Individual>& individuals) {
  std::string text;
  text.reserve(44 * (individuals.size() + 1));
  append_i5(text, static_cast<int>(individuals.size()));
  text += "\r\n";
  for (const Individual& row : individuals) {
    for (int value : {int{row.IPED}, int{row.ID}, int{row.IPAR1}, int{row.IPAR2}, int{row.RACE},
                      int{row.SEX}}) {
      append_i5(text, value);
    }
    text.append(row.INI_ID.data(), row.INI_ID.size());
    text += "\r\n";
  }
  return text;
}

std::string blood_file(const std::vector<Individual>& individuals, int32_t races) {
  std::string text;
  text.reserve((12 * static_cast<size_t>(races) + 2) * (individuals.size() + 1));
  append_i5(text, static_cast<int>(individuals.size()));
  append_i5(text, races);
  text += "\r\n";
  for (const Individual& row : individuals) {
    for (int j = 0; j < races - 1; ++j) append_exponent(text, row.BLOOD[j], 12, 4);
    text += "\r\n";
  }
  return text;
}

bool write_input_files(const std::string& directory, const std::vector<Individual>& individuals,
                       int32_t races) {
  const std::string prefix = directory.empty() ? "" : directory + "/";
  const std::string control = std::string(kPedigreeFileName) + "\r\n" + kBloodFileName + "\r\n";
  return write_file(prefix + "input1.dat", control) &&
         write_file(prefix + kPedigreeFileName, pedigree_file(individuals)) &&
         write_file(prefix + kBloodFileName, blood_file(individuals, races));
}

}  // namespace pedpeel::pedgen
