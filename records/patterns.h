// The record patterns of the system: constant data shared by every reader and writer of a
// text file. A pattern is a list of literals, data fields (with repeat counts) and record
// breaks; its end mark reverts to the start of the pattern.
#ifndef PEDPEEL_RECORDS_PATTERNS_H_
#define PEDPEEL_RECORDS_PATTERNS_H_

#include <cstddef>
#include <span>
#include <string_view>

namespace pedpeel {

enum class ElementKind {
  kLiteral,   // text copied into the record on output
  kInteger,   // Iw
  kExponent,  // Ew.d
  kText,      // Aw
  kBreak,     // "/": ends the record and starts the next
};

struct Element {
  ElementKind kind;
  int repeat = 1;  // data fields only
  int width = 0;   // data fields only
  int digits = 0;  // exponent fields only
  std::string_view literal = {};
};

// The number of literals before the first data field of `elements`, or -1 when a record
// break comes first (no pattern has none).
constexpr int leading_literals(std::span<const Element> elements) {
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].kind == ElementKind::kBreak) return -1;
    if (elements[i].kind != ElementKind::kLiteral) return static_cast<int>(i);
  }
  return -1;
}

/// The widest record of `elements`: the characters its data fields take, with its literals
/// when `with_literals`. A record ends at a record break or the pattern's end.
constexpr size_t widest_record(std::span<const Element> elements, bool with_literals) {
  size_t widest = 0;
  size_t width = 0;
  for (const Element& element : elements) {
    if (element.kind == ElementKind::kBreak) {
      width = 0;
    } else if (element.kind == ElementKind::kLiteral) {
      width += with_literals ? element.literal.size() : 0;
    } else {
      width += static_cast<size_t>(element.repeat) * static_cast<size_t>(element.width);
    }
    widest = width > widest ? width : widest;
  }
  return widest;
}

/// The index in `elements` of the first exponent field, -1 when there is none.
constexpr int first_exponent_field(std::span<const Element> elements) {
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].kind == ElementKind::kExponent) return static_cast<int>(i);
  }
  return -1;
}

/// Whether `elements` holds no record break.
constexpr bool breakless(std::span<const Element> elements) {
  for (const Element& element : elements) {
    if (element.kind == ElementKind::kBreak) return false;
  }
  return true;
}

// A pattern's elements, with what statements need of them worked out once, when the
// pattern is made.
struct Pattern {
  constexpr Pattern(std::span<const Element> pattern_elements)
      : elements(pattern_elements),
        lead(leading_literals(pattern_elements)),
        columns(widest_record(pattern_elements, false)),
        length(widest_record(pattern_elements, true)),
        one_record(breakless(pattern_elements)),
        first_exponent(first_exponent_field(pattern_elements)) {}

  std::span<const Element> elements;
  // Literals before the first data field, which starts each statement: -1 when a record
  // break comes first.
  int lead;
  // The most columns the data fields of one record cover: a read statement looks at no
  // column past them, so a reader need keep no more of a record.
  size_t columns;
  // The most characters one record holds when written, line end excluded.
  size_t length;
  // No record break: a statement whose items the data fields of one record take works on
  // that record alone, so a road that takes a whole record at once may take it. A pattern
  // with a break goes the general way, which also takes the breaks after the last item.
  bool one_record;
  // The index of the first exponent field, -1 when there is none: the field whose width
  // and digits a unit's cache of exponent fields takes.
  int first_exponent;
};

/// The most characters one record of `pattern` holds when written, line end excluded.
constexpr size_t record_length(const Pattern& pattern) {
  return pattern.length;
}

/// The most columns the data fields of one record of `pattern` cover (Pattern::columns).
constexpr size_t record_columns(const Pattern& pattern) {
  return pattern.columns;
}

constexpr Element literal(std::string_view text) {
  return {ElementKind::kLiteral, 1, 0, 0, text};
}
constexpr Element integer_field(int repeat, int width) {
  return {ElementKind::kInteger, repeat, width};
}
constexpr Element exponent_field(int repeat, int width, int digits) {
  return {ElementKind::kExponent, repeat, width, digits};
}
constexpr Element text_field(int repeat, int width) {
  return {ElementKind::kText, repeat, width};
}
constexpr Element record_break() {
  return {ElementKind::kBreak};
}

namespace pattern_data {
inline constexpr Element kName20[] = {text_field(1, 20)};
inline constexpr Element kCounts[] = {integer_field(10, 5)};
inline constexpr Element kPedRec[] = {integer_field(6, 5), text_field(1, 12)};
inline constexpr Element kBloodRec[] = {exponent_field(10, 12, 4)};
inline constexpr Element kIds[] = {integer_field(100, 5)};
inline constexpr Element kHeader[] = {
    literal("NPEDIGREE="), integer_field(1, 4), literal(" NPOT="),  integer_field(1, 4),
    literal(" IWAY="),     integer_field(1, 5), literal(" ITYPE="), integer_field(1, 3)};
inline constexpr Element kTrait[] = {literal("TRAIT "), integer_field(100, 5)};
inline constexpr Element kSex[] = {literal("SEX   "), integer_field(100, 5)};
inline constexpr Element kIniId[] = {literal("INI_ID"), text_field(100, 14)};
inline constexpr Element kRace[] = {literal("RACE  "), integer_field(100, 5)};
inline constexpr Element kBlood[] = {literal("BLOOD "), exponent_field(10, 12, 4)};
inline constexpr Element kLoop[] = {literal(" PEDIGREE "), integer_field(1, 3),
                                    literal(" contains LOOP"), record_break(),
                                    literal("  THE CORRECTION OF INITIAL DATA IS REQUIRED")};
inline constexpr Element kName12[] = {text_field(1, 12)};
}  // namespace pattern_data

// Control file, each record (read).
inline constexpr Pattern PAT_NAME20{pattern_data::kName20};
// First record of the pedigree and BLOOD files (read); iway.IVM count records (write).
inline constexpr Pattern PAT_COUNTS{pattern_data::kCounts};
// Pedigree file, one record per individual: IPED, ID, IPAR1, IPAR2, RACE, SEX, INI_ID.
inline constexpr Pattern PAT_PEDREC{pattern_data::kPedRec};
// BLOOD file, the fractions of one individual.
inline constexpr Pattern PAT_BLOODREC{pattern_data::kBloodRec};
// VOLMA.DAT first record and the member line of each block.
inline constexpr Pattern PAT_IDS{pattern_data::kIds};
// VOLMA.DAT block header: pedigree, NPOT, IWAY, ITYPE.
inline constexpr Pattern PAT_HEADER{pattern_data::kHeader};
// VOLMA.DAT trait line (always zeros).
inline constexpr Pattern PAT_TRAIT{pattern_data::kTrait};
// VOLMA.DAT sex codes.
inline constexpr Pattern PAT_SEX{pattern_data::kSex};
// VOLMA.DAT initial identifiers, two blanks then 12 characters each.
inline constexpr Pattern PAT_INI_ID{pattern_data::kIniId};
// VOLMA.DAT race codes.
inline constexpr Pattern PAT_RACE{pattern_data::kRace};
// VOLMA.DAT race fractions, one statement per member.
inline constexpr Pattern PAT_BLOOD{pattern_data::kBlood};
// def.err loop report, two records.
inline constexpr Pattern PAT_LOOP{pattern_data::kLoop};
// iway.IVM identifier records.
inline constexpr Pattern PAT_NAME12{pattern_data::kName12};

// Every pattern of the system.
inline constexpr Pattern kAllPatterns[] = {
    PAT_NAME20, PAT_COUNTS, PAT_PEDREC, PAT_BLOODREC, PAT_IDS,  PAT_HEADER, PAT_TRAIT,
    PAT_SEX,    PAT_INI_ID, PAT_RACE,   PAT_BLOOD,    PAT_LOOP, PAT_NAME12};

// The longest record any pattern of the system writes, line end excluded.
inline constexpr size_t kLongestRecord = [] {
  size_t longest = 0;
  for (const Pattern& pattern : kAllPatterns) {
    longest = record_length(pattern) > longest ? record_length(pattern) : longest;
  }
  return longest;
}();

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_PATTERNS_H_
