#include "tools/pedprep/findings.h"

#include <algorithm>
#include <array>

#include "driver/diagnostic.h"

namespace pedpeel::pedprep {

namespace {

constexpr std::array<std::string_view, 14> kWarningNames = {
    "other",           "sex-role",   "fraction-sum", "long-ids",      "loop",
    "repeated-header", "sex-unread", "born-unread",  "breeds-folded", "no-fractions",
    "mend-duplicate",  "mend-roles", "mend-cycle",   "mend-born",
};

// The findings in line order, those of one line in the order found.
std::vector<const Finding*> in_line_order(const std::vector<Finding>& findings) {
  std::vector<const Finding*> order;
  order.reserve(findings.size());
  for (const Finding& finding : findings) order.push_back(&finding);
  std::stable_sort(order.begin(), order.end(),
                   [](const Finding* a, const Finding* b) { return a->line < b->line; });
  return order;
}

// A message as one field of a TSV line.
void append_field(std::string& out, std::string_view text) {
  for (char c : text) out += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
}

}  // namespace

std::string_view warning_name(Warning kind) {
  return kWarningNames[static_cast<size_t>(kind)];
}

void Report::error(int64_t line, std::string message) {
  findings_.push_back({line, false, Warning::kOther, false, std::move(message)});
  ++errors_;
}

void Report::mendable_error(int64_t line, std::string message) {
  findings_.push_back({line, false, Warning::kOther, true, std::move(message)});
  ++errors_;
  ++mendable_errors_;
}

void Report::warning(int64_t line, Warning kind, std::string message) {
  findings_.push_back({line, true, kind, false, std::move(message)});
  ++warnings_;
}

void Report::write(std::ostream& err, std::string_view listed_in) const {
  std::array<int64_t, kWarningNames.size()> of_kind{};
  for (const Finding& finding : findings_) {
    if (finding.warning) ++of_kind[static_cast<size_t>(finding.kind)];
  }
  std::array<int64_t, kWarningNames.size()> shown{};
  for (const Finding* finding : in_line_order(findings_)) {
    if (!finding->warning) {
      err << diagnostic_line(file_, finding->line, Severity::kError, finding->message) << '\n';
      continue;
    }
    const size_t kind = static_cast<size_t>(finding->kind);
    const int64_t count = shown[kind]++;
    if (count < kShownPerKind) {
      err << diagnostic_line(file_, finding->line, Severity::kWarning, finding->message) << '\n';
    } else if (count == kShownPerKind) {
      const int64_t rest = of_kind[kind] - kShownPerKind;
      err << diagnostic_prefix(file_, finding->line, Severity::kWarning) << rest << " more "
          << warning_name(finding->kind) << (rest == 1 ? " warning" : " warnings")
          << " from this line on";
      if (!listed_in.empty()) err << ", listed in " << listed_in;
      err << '\n';
    }
  }
}

std::string Report::warnings_tsv() const {
  std::string tsv = kWarningsHeader;
  for (const Finding* finding : in_line_order(findings_)) {
    if (!finding->warning) continue;
    append_field(tsv, file_);
    tsv += '\t';
    tsv += std::to_string(finding->line);
    tsv += '\t';
    tsv += warning_name(finding->kind);
    tsv += '\t';
    append_field(tsv, finding->message);
    tsv += '\n';
  }
  return tsv;
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
