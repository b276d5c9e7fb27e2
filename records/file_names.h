// Turns a name field into a path: trimming, and the fallback for a blank name (the next
// command-line argument, else a prompt on the console answered on standard input).
#ifndef PEDPEEL_RECORDS_FILE_NAMES_H_
#define PEDPEEL_RECORDS_FILE_NAMES_H_

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "records/console.h"

namespace pedpeel {

/// The first 259 characters of `field` without leading and trailing blanks (spaces only;
/// a tab stays part of the name). Inner blanks are kept.
std::string trim_file_name(std::string_view field);

// Supplies names for blank name fields, in the order the fields are met.
class BlankNameSource {
 public:
  BlankNameSource(std::vector<std::string> arguments, std::istream& in, Console& console)
      : arguments_(std::move(arguments)), in_(in), console_(console) {}

  /// A non-empty name for a blank field of `unit`: the next unused argument that is not
  /// blank, else the answer to the prompt. Throws RunError E6501 READ(stdin) when standard
  /// input ends before a non-blank answer.
  std::string name_for(int unit);

 private:
  std::string prompt(int unit);
  // One answer line (ended by LF, CR LF or CR); false at the end of input with nothing read.
  bool read_answer(std::string* line);

  std::vector<std::string> arguments_;
  size_t next_argument_ = 0;
  std::istream& in_;
  Console& console_;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FILE_NAMES_H_
