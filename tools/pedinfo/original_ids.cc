#include "tools/pedinfo/original_ids.h"

#include <charconv>
#include <fstream>
#include <string_view>

#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/ids_tsv.h"

namespace pedpeel::pedinfo {

namespace {

std::vector<std::string_view> split_tabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

bool parse_int16(std::string_view text, int16_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::optional<std::string> OriginalIds::read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return path + ": cannot be read";
  std::string line;
  int32_t number = 0;
  auto where = [&] { return path + ":" + std::to_string(number) + ": "; };
  size_t iped_column = 0, id_column = 0, original_column = 0, columns = 0;
  std::optional<size_t> copy_of_column;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string_view> fields = split_tabs(line);
    if (number == 1) {
      constexpr size_t kColumns = 5;
      static constexpr std::string_view kNeeded[kColumns] = {
          ids_tsv::kIped, ids_tsv::kId, ids_tsv::kFamily, ids_tsv::kOriginal, ids_tsv::kSource};
      size_t* const where_found[kColumns] = {&iped_column, &id_column, nullptr, &original_column,
                                             nullptr};
      bool found[kColumns] = {};
      for (size_t k = 0; k < fields.size(); ++k) {
        if (fields[k] == ids_tsv::kCopyOf && !copy_of_column) copy_of_column = k;
        for (size_t n = 0; n < kColumns; ++n) {
          if (fields[k] != kNeeded[n] || found[n]) continue;
          found[n] = true;
          if (where_found[n] != nullptr) *where_found[n] = k;
        }
      }
      for (size_t n = 0; n < kColumns; ++n) {
        if (!found[n])
          return where() + "the header line has no column \"" + std::string(kNeeded[n]) +
                 "\" (an ids.tsv as pedprep writes it)";
      }
      columns = fields.size();
      continue;
    }
    if (line.empty()) continue;
    if (fields.size() < columns) {
      return where() + std::to_string(fields.size()) + " columns, the header names " +
             std::to_string(columns);
    }
    int16_t iped = 0;
    int16_t id = 0;
    if (!parse_int16(fields[iped_column], &iped) || !parse_int16(fields[id_column], &id)) {
      return where() + "iped and id must be numbers, not \"" + printable(fields[iped_column]) +
             "\" and \"" + printable(fields[id_column]) + "\"";
    }
    IPED_.push_back(iped);
    original_.emplace(key(iped, id), std::string(fields[original_column]));
    if (copy_of_column && !fields[*copy_of_column].empty()) {
      copy_of_.emplace(key(iped, id), std::string(fields[*copy_of_column]));
    }
  }
  if (number == 0) return path + ": empty (an ids.tsv starts with a header line)";
  return std::nullopt;
}

const std::string* OriginalIds::find(int16_t iped, int16_t id) const {
  const auto found = original_.find(key(iped, id));
  return found == original_.end() ? nullptr : &found->second;
}

const std::string* OriginalIds::copy_of(int16_t iped, int16_t id) const {
  const auto found = copy_of_.find(key(iped, id));
  return found == copy_of_.end() ? nullptr : &found->second;
}

std::string original_text(const std::string& original, const std::string* copy_of) {
  std::string text = printable(original);
  if (copy_of != nullptr) text += ", copy of " + printable(*copy_of);
  return text;
}

std::optional<int16_t> OriginalIds::iped_of_row(int32_t row) const {
  if (row < 1 || static_cast<size_t>(row) > IPED_.size()) return std::nullopt;
  return IPED_[static_cast<size_t>(row) - 1];
}

std::string id_text(const OriginalIds* ids, int16_t iped, int16_t id) {
  std::string text = std::to_string(id);
  if (ids == nullptr || id == 0) return text;
  const std::string* original = ids->find(iped, id);
  if (original != nullptr && !original->empty()) {
    text += " [" + original_text(*original, ids->copy_of(iped, id)) + "]";
  }
  return text;
}

}  // namespace pedpeel::pedinfo
