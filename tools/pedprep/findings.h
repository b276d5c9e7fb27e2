// What pedprep found in its input: one line per finding, `FILE:LINE: message` on standard
// error, warnings marked `warning: ` after the `FILE:LINE: `. An error refuses the input;
// a warning lets the run go on.
#ifndef PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_
#define PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::pedprep {

struct Finding {
  int64_t line = 0;  // line of the input file, from 1
  bool warning = false;
  std::string message;
};

class Report {
 public:
  /// `file` is the input's name as the user gave it; every line starts with it.
  explicit Report(std::string file) : file_(std::move(file)) {}

  void error(int64_t line, std::string message);
  void warning(int64_t line, std::string message);

  int64_t errors() const { return errors_; }
  int64_t warnings() const { return warnings_; }
  const std::string& file() const { return file_; }
  const std::vector<Finding>& findings() const { return findings_; }

  /// Writes every finding in line order (findings of one line in the order found).
  void write(std::ostream& err) const;

 private:
  std::string file_;
  std::vector<Finding> findings_;
  int64_t errors_ = 0;
  int64_t warnings_ = 0;
};

/// `text` in double quotes, as findings name ids.
std::string quoted(std::string_view text);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_
