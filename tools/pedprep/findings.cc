#include "tools/pedprep/findings.h"

#include <algorithm>

namespace pedpeel::pedprep {

void Report::error(int64_t line, std::string message) {
  findings_.push_back({line, false, std::move(message)});
  ++errors_;
}

void Report::warning(int64_t line, std::string message) {
  findings_.push_back({line, true, std::move(message)});
  ++warnings_;
}

void Report::write(std::ostream& err) const {
  std::vector<const Finding*> order;
  order.reserve(findings_.size());
  for (const Finding& finding : findings_) order.push_back(&finding);
  std::stable_sort(order.begin(), order.end(),
                   [](const Finding* a, const Finding* b) { return a->line < b->line; });
  for (const Finding* finding : order) {
    err << file_ << ':' << finding->line << ": " << (finding->warning ? "warning: " : "")
        << finding->message << '\n';
  }
}

std::string quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out += text;
  out += '"';
  return out;
}

}  // namespace pedpeel::pedprep
