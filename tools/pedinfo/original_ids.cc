#include "tools/pedinfo/original_ids.h"

#include <charconv>
#include <fstream>

#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/ids_tsv.h"

namespace pedpeel::pedinfo {

namespace {

bool parse_int16(std::string_view text, int16_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::vector<std::string_view> split_tabs(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

std::optional<std::string> read_ids_header(std::string_view line, IdsColumns* columns) {
  static constexpr std::string_view kNeeded[] = {ids_tsv::kIped, ids_tsv::kId, ids_tsv::kFamily,
                                                 ids_tsv::kOriginal, ids_tsv::kSource};
  size_t* const kPlaces[] = {&columns->iped, &columns->id, nullptr, &columns->original,
                             &columns->source};
  const std::vector<std::string_view> fields = split_tabs(line);
  for (size_t n = 0; n < std::size(kNeeded); ++n) {
    size_t k = 0;
    while (k < fields.size() && fields[k] != kNeeded[n]) ++k;
    if (k == fields.size()) {
      return "the header line has no column \"" + std::string(kNeeded[n]) +
             "\" (an ids.tsv as pedprep writes it)";
    }
    if (kPlaces[n] != nullptr) *kPlaces[n] = k;
  }
  columns->copy_of = IdsColumns::kAbsent;
  for (size_t k = 0; k < fields.size(); ++k) {
    if (fields[k] == ids_tsv::kCopyOf) columns->copy_of = k;
  }
  columns->count = fields.size();
  return std::nullopt;
}

std::optional<std::string> OriginalIds::read(const std::string& path) {
  rows_.clear();
  first_of_.clear();
  std::ifstream file(path, std::ios::binary);
  if (!file) return path + ": cannot be read";
  std::string line;
  int32_t number = 0;
  auto where = [&] { return path + ":" + std::to_string(number) + ": "; };
  IdsColumns columns;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      if (auto problem = read_ids_header(line, &columns)) return where() + *problem;
      continue;
    }
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = split_tabs(line);
    // The last column (copy_of) may be left off a line that does not need it.
    if (fields.size() < columns.count - (columns.copy_of == columns.count - 1 ? 1 : 0)) {
      return where() + std::to_string(fields.size()) + " columns, the header names " +
             std::to_string(columns.count);
    }
    IdsRow row;
    if (!parse_int16(fields[columns.iped], &row.iped) ||
        !parse_int16(fields[columns.id], &row.id)) {
      return where() + "iped and id must be numbers, not \"" + printable(fields[columns.iped]) +
             "\" and \"" + printable(fields[columns.id]) + "\"";
    }
    row.original = fields[columns.original];
    row.source = fields[columns.source];
    if (columns.copy_of < fields.size()) row.copy_of = fields[columns.copy_of];
    first_of_.emplace(key(row.iped, row.id), rows_.size());
    rows_.push_back(std::move(row));
  }
  if (number == 0) return path + ": empty (an ids.tsv starts with a header line)";
  return std::nullopt;
}

const IdsRow* OriginalIds::row(int16_t iped, int16_t id) const {
  const auto found = first_of_.find(key(iped, id));
  return found == first_of_.end() ? nullptr : &rows_[found->second];
}

const std::string* OriginalIds::find(int16_t iped, int16_t id) const {
  const IdsRow* line = row(iped, id);
  return line == nullptr ? nullptr : &line->original;
}

const std::string* OriginalIds::copy_of(int16_t iped, int16_t id) const {
  const IdsRow* line = row(iped, id);
  return line == nullptr || line->copy_of.empty() ? nullptr : &line->copy_of;
}

std::string original_text(const std::string& original, const std::string* copy_of) {
  std::string text = printable(original);
  if (copy_of != nullptr) text += ", copy of " + printable(*copy_of);
  return text;
}

std::optional<int16_t> OriginalIds::iped_of_row(int32_t row) const {
  if (row < 1 || static_cast<size_t>(row) > rows_.size()) return std::nullopt;
  return rows_[static_cast<size_t>(row) - 1].iped;
}

std::string id_text(const OriginalIds* ids, int16_t iped, int16_t id) {
  std::string text;
  append_id_text(&text, ids, iped, id);
  return text;
}

void append_id_text(std::string* text, const OriginalIds* ids, int16_t iped, int16_t id) {
  char digits[8];  // "-32768"
  const char* const end = std::to_chars(digits, digits + sizeof digits, id).ptr;
  text->append(digits, static_cast<size_t>(end - digits));
  if (ids == nullptr || id == 0) return;
  const std::string* original = ids->find(iped, id);
  if (original != nullptr && !original->empty()) {
    *text += " [" + original_text(*original, ids->copy_of(iped, id)) + "]";
  }
}

}  // namespace pedpeel::pedinfo
