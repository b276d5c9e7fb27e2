// The values of a herd-book's fields that are not ids: sex words, birth dates and race
// fractions, as exports spell them.
#ifndef PEDPEEL_TOOLS_PEDPREP_FIELD_VALUES_H_
#define PEDPEEL_TOOLS_PEDPREP_FIELD_VALUES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pedpeel::pedprep {

// The words of --sex-codes MALE,FEMALE, read besides the usual ones; empty when not given.
struct SexWords {
  std::string male;
  std::string female;
};

/// 1 for 1, M, male, bull, steer; 2 for 2, F, female, cow, heifer; and the words of `extra`
/// (all in any case). 0 for a sex given as unknown: empty, 0, NA, ".", U or unknown.
/// nullopt for a word none of these reads.
std::optional<int8_t> read_sex(std::string_view field, const SexWords& extra);

// A birth date as pedprep compares them: year * 10000 + month * 100 + day, month and day
// 0 when only the year is known; 0 when the date is unknown.
using BirthDate = int32_t;

/// Reads a year (2015), a date as 2015-03-31, 2015/03/31, 20150331 or 31.03.2015 (a time
/// after the date is left out), or a day/month/year form with slashes, of which only the
/// year is taken. Empty, 0, NA and "." are unknown (0). nullopt when it reads as none.
std::optional<BirthDate> read_birth_date(std::string_view field);

/// Whether a parent born `parent` is born after its offspring born `child`: by the day
/// when both dates are whole, else by the year. False when either is unknown.
bool born_after(BirthDate parent, BirthDate child);

/// "2015" or "2015-03-31".
std::string birth_date_text(BirthDate date);

/// Reads a race fraction in 0..1 into `*fraction`; with `decimal_comma`, "0,5" is one half
/// (as a spreadsheet in a European locale writes it). What is wrong, or nullopt.
std::optional<std::string> read_fraction(std::string_view text, bool decimal_comma,
                                         float* fraction);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_FIELD_VALUES_H_
