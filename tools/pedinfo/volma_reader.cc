#include "tools/pedinfo/volma_reader.h"

#include <charconv>

#include "records/patterns.h"

namespace pedpeel::pedinfo {

namespace {

// The lines are read by the patterns they were written with.
const std::string_view kHeaderLead = PAT_HEADER.elements[0].literal;
const std::string_view kIniIdLead = PAT_INI_ID.elements[0].literal;
const size_t kMemberWidth = static_cast<size_t>(PAT_IDS.elements[0].width);

// The integer in columns [first, first + width) of `line` (1-based), blanks around it.
bool field(std::string_view line, size_t first, size_t width, int* value) {
  if (line.size() < first - 1 + width) return false;
  std::string_view text = line.substr(first - 1, width);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// The header's values (pedigree, NPOT, IWAY, ITYPE), each from the columns its field
// takes in PAT_HEADER.
bool read_header(std::string_view line, VolmaBlock* block) {
  int* const values[] = {&block->pedigree, &block->NPOT, &block->IWAY, &block->ITYPE};
  size_t column = 1;
  size_t next = 0;
  for (const Element& element : PAT_HEADER.elements) {
    if (element.kind == ElementKind::kLiteral) {
      column += element.literal.size();
      continue;
    }
    const auto width = static_cast<size_t>(element.width);
    if (next == std::size(values) || !field(line, column, width, values[next++])) return false;
    column += width;
  }
  return next == std::size(values);
}

bool read_members(std::string_view line, std::vector<int16_t>* members) {
  for (size_t first = 1; first + kMemberWidth - 1 <= line.size(); first += kMemberWidth) {
    int id = 0;
    if (!field(line, first, kMemberWidth, &id)) return false;
    members->push_back(static_cast<int16_t>(id));
  }
  return true;
}

}  // namespace

std::optional<std::string> read_volma(std::string_view bytes, const std::string& file,
                                      const std::function<void(const VolmaBlock&)>& visit) {
  int32_t number = 0;
  VolmaBlock block;
  bool in_members = false;  // between a header and the INI_ID line of its block
  bool pending = false;     // a block read and not yet visited
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    auto problem = [&](const char* what) {
      return file + ":" + std::to_string(number) + ": " + what + " does not read";
    };
    if (line.starts_with(kHeaderLead)) {
      if (pending) visit(block);
      block.members.clear();
      block.line = number;
      if (!read_header(line, &block)) return problem("the header of a family record");
      in_members = true;
      pending = true;
    } else if (line.starts_with(kIniIdLead)) {
      in_members = false;
      if (pending) visit(block);
      pending = false;
    } else if (in_members && !read_members(line, &block.members)) {
      return problem("the member line of a family record");
    }
  }
  if (pending) visit(block);
  return std::nullopt;
}

}  // namespace pedpeel::pedinfo
