#include "tools/pedinfo/finding.h"

#include <algorithm>
#include <cstdio>

namespace pedpeel::pedinfo {

std::string trimmed_ini_id(const IniId& ini) {
  size_t length = ini.size();
  while (length > 0 && (ini[length - 1] == ' ' || ini[length - 1] == '\0')) --length;
  return std::string(ini.data(), length);
}

std::string format_finding(const Finding& finding, const OriginalIds* ids) {
  std::string text = diagnostic_prefix(finding.file, finding.line, finding.severity);
  if (finding.row != 0 && (!finding.row_read || finding.pedigree == 0)) {
    text += "row " + std::to_string(finding.row) + ": ";
  } else if (finding.pedigree != 0) {
    text += "pedigree " + std::to_string(finding.pedigree) + " (IPED " +
            std::to_string(finding.iped) + ")";
    if (finding.row != 0) {
      text += ", ID " + id_text(ids, finding.iped, finding.id) + " \"" + printable(finding.ini_id) +
              "\"";
    }
    text += ": ";
  }
  text += finding.message;
  return text;
}

void sort_findings(std::vector<Finding>& findings, std::string_view pedfile,
                   std::string_view bloodfile) {
  auto file_rank = [&](const std::string& file) {
    if (file == pedfile) return 1;
    if (file == bloodfile) return 2;
    return 0;
  };
  std::stable_sort(findings.begin(), findings.end(), [&](const Finding& a, const Finding& b) {
    const int rank_a = file_rank(a.file);
    const int rank_b = file_rank(b.file);
    if (rank_a != rank_b) return rank_a < rank_b;
    return a.line < b.line;
  });
}

std::string describe_family(const LoopStep& family, const OriginalIds* ids) {
  std::string text;
  append_family(&text, family, ids);
  return text;
}

void append_family(std::string* text, const LoopStep& family, const OriginalIds* ids) {
  // IDs shown with their original ids read better apart.
  const char* comma = ids != nullptr ? ", " : ",";
  *text += "family (";
  append_id_text(text, ids, family.iped, family.id);
  *text += comma;
  append_id_text(text, ids, family.iped, family.second);
  const char* separator = "; ";
  for (int16_t child : family.children) {
    *text += separator;
    append_id_text(text, ids, family.iped, child);
    separator = comma;
  }
  *text += ") line ";
  *text += std::to_string(family.line);
}

std::string describe_individual(const LoopStep& individual, const OriginalIds* ids) {
  std::string text = "ID " + id_text(ids, individual.iped, individual.id);
  if (individual.row == 0) {
    return text + (individual.id == 0 ? " (IPAR2 given as 0)" : " (no row)");
  }
  if (individual.line == 0) {
    return text + " (row " + std::to_string(individual.row) +
           ", beyond the records of the pedigree file)";
  }
  return text + " \"" + printable(individual.ini_id) + "\" line " + std::to_string(individual.line);
}

std::string describe_step(const LoopStep& step, const OriginalIds* ids) {
  return step.family != 0 ? describe_family(step, ids) : describe_individual(step, ids);
}

}  // namespace pedpeel::pedinfo
