// A problem pedinfo check found in a population: where it is (file, line, pedigree, row),
// how serious it is, and the message. Findings print as one line each, in the form of
// driver/diagnostic.h:
//   FILE:LINE: error: pedigree P (IPED n), ID i "INI_ID": message
#ifndef PEDPEEL_TOOLS_PEDINFO_FINDING_H_
#define PEDPEEL_TOOLS_PEDINFO_FINDING_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/diagnostic.h"
#include "pedigree/population.h"
#include "tools/pedinfo/original_ids.h"
#include "tools/pedinfo/output_text.h"

namespace pedpeel::pedinfo {

// kError: pedpeel fails, stops or writes the loop report because of it.
// kWarning: pedpeel runs, but the data are most likely not what was meant.
using pedpeel::Severity;

// One step of a loop path: an individual (family == 0) or a family (family > 0).
struct LoopStep {
  int32_t family = 0;             // family number in its pedigree, 0 for an individual
  int16_t iped = 0;               // IPED of its pedigree
  int16_t id = 0;                 // the individual's ID, or the family's first parent
  int16_t second = 0;             // the family's second parent
  std::vector<int16_t> children;  // the family's children
  int32_t row = 0;     // the individual's row (0 when it has none), or the family's first child
  int32_t line = 0;    // line of that row in the pedigree file, 0 when none
  std::string ini_id;  // the individual's INI_ID, trimmed
};

struct Finding {
  std::string file;  // as named in input1.dat, or "input1.dat"
  int32_t line = 0;  // 1-based; 0 for a finding about the file as a whole
  int pedigree = 0;  // 0 when the finding belongs to no pedigree
  int16_t iped = 0;
  int32_t row = 0;       // 0 when the finding is not about one individual
  bool row_read = true;  // false: the row's record failed to convert; name it by row
                         // (so is a row whose pedigree is not known, pedigree 0)
  int16_t id = 0;        // of the row
  std::string ini_id;    // of the row, trailing blanks and zero bytes removed
  Severity severity = Severity::kWarning;
  std::string kind;             // stable name for scripts, e.g. "duplicate-id"
  std::string message;          // what is wrong and what pedpeel does with it
  std::vector<LoopStep> steps;  // loop findings: the families left, or the loop's path
};

/// `ini` without trailing blanks and zero bytes.
std::string trimmed_ini_id(const IniId& ini);

/// The finding's line, without the line end; IDs with their original ids when `ids` is
/// given.
std::string format_finding(const Finding& finding, const OriginalIds* ids = nullptr);

/// Orders findings by file (control file, pedigree file, BLOOD file), then line; findings
/// on one line keep the order they were found in.
void sort_findings(std::vector<Finding>& findings, std::string_view pedfile,
                   std::string_view bloodfile);

/// "family (IPAR1,IPAR2; children) line L".
std::string describe_family(const LoopStep& family, const OriginalIds* ids);
/// The same appended to *text: a list of many families is written in one string.
void append_family(std::string* text, const LoopStep& family, const OriginalIds* ids);
/// "ID i "INI_ID" line L"; "ID i (no row)" for a parent without a row.
std::string describe_individual(const LoopStep& individual, const OriginalIds* ids);
/// One of the two above.
std::string describe_step(const LoopStep& step, const OriginalIds* ids);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_FINDING_H_
