// What pedprep found in its input: one line per finding on standard error, as
// driver/diagnostic.h writes it: `FILE:LINE: error: message` or `FILE:LINE: warning:
// message`. An error refuses the input; a warning lets the run go on. A warning of one kind given
// for many rows is shown for its first rows and then as one line with the count; warnings.tsv lists
// them all.
#ifndef PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_
#define PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::pedprep {

// The kinds of warnings, each shown for its first kShownPerKind rows.
enum class Warning : uint8_t {
  kOther,
  kSexAgainstRole,
  kFractionSum,
  kLongIds,
  kLoop,
  kRepeatedHeader,
  kUnreadSex,
  kUnreadBirthDate,
  kFoldedBreeds,
  kNoFractions,
  kMendDuplicate,
  kMendRoles,
  kMendCycle,
  kMendBirthOrder,
};

/// The kind's name in warnings.tsv and in the line that counts the rest: "fraction-sum".
std::string_view warning_name(Warning kind);

// How many warnings of one kind standard error shows.
inline constexpr int64_t kShownPerKind = 10;

// The list of every warning written into the output directory, and its header line: the
// input file, its line, the kind of warning and its message.
inline constexpr char kWarningsFile[] = "warnings.tsv";
inline constexpr char kWarningsHeader[] = "file\tline\tkind\tmessage\n";

struct Finding {
  int64_t line = 0;  // line of the input file, from 1
  bool warning = false;
  Warning kind = Warning::kOther;
  bool mendable = false;  // an error --mend repairs
  std::string message;
};

class Report {
 public:
  /// `file` is the input's name as the user gave it; every line starts with it.
  explicit Report(std::string file) : file_(std::move(file)) {}

  void error(int64_t line, std::string message);
  /// An error that --mend repairs by dropping a parent link or a row.
  void mendable_error(int64_t line, std::string message);
  void warning(int64_t line, Warning kind, std::string message);
  void warning(int64_t line, std::string message) {
    warning(line, Warning::kOther, std::move(message));
  }

  int64_t errors() const { return errors_; }
  int64_t mendable_errors() const { return mendable_errors_; }
  int64_t warnings() const { return warnings_; }
  const std::string& file() const { return file_; }
  const std::vector<Finding>& findings() const { return findings_; }

  /// Writes the findings in line order (those of one line in the order found): every
  /// error, and of each kind of warning the first kShownPerKind, then one line with the
  /// count of the rest, saying they are listed in `listed_in` (when not empty).
  void write(std::ostream& err, std::string_view listed_in = {}) const;

  /// warnings.tsv: the header, then every warning in line order.
  std::string warnings_tsv() const;

 private:
  std::string file_;
  std::vector<Finding> findings_;
  int64_t errors_ = 0;
  int64_t mendable_errors_ = 0;
  int64_t warnings_ = 0;
};

/// `text` in double quotes, as findings name ids.
std::string quoted(std::string_view text);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_FINDINGS_H_
