// pedinfo check: every problem of a population that pedpeel would fail, stop or report a
// loop on, and the data that are most likely not what was meant.
#ifndef PEDPEEL_TOOLS_PEDINFO_CHECK_H_
#define PEDPEEL_TOOLS_PEDINFO_CHECK_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/input_reader.h"
#include "tools/pedinfo/json_writer.h"
#include "tools/pedinfo/original_ids.h"

namespace pedpeel::pedinfo {

struct CheckReport {
  std::string directory;
  InputFiles input;
  std::vector<Finding> findings;  // in file and line order
  int errors = 0;
  int warnings = 0;
  const OriginalIds* ids = nullptr;  // original ids shown beside pedpeel's IDs
};

/// Checks the population in `directory`; `ids` (kept by the caller while the report is
/// used) gives the original ids to show. Returns the failure when it cannot be read at all.
std::optional<InputFailure> check_directory(const std::string& directory, CheckReport* report,
                                            const OriginalIds* ids = nullptr);

/// One line per finding, then the summary line.
void write_check_text(const CheckReport& report, std::ostream& out);
/// The same as one JSON document.
void write_check_json(const CheckReport& report, std::ostream& out);
/// The same as one JSON object written with `json`, for a document of many runs.
void write_check_object(const CheckReport& report, JsonWriter& json);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_CHECK_H_
