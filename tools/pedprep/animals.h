// The animals pedprep writes: the input rows with their parents found, and the founders
// the completion adds, so that every animal has both parents known or neither. The checks
// on ids and parents (duplicates, an animal in both parent roles, a parent in another
// family, a sex that disagrees with a parent role) are made here.
#ifndef PEDPEEL_TOOLS_PEDPREP_ANIMALS_H_
#define PEDPEEL_TOOLS_PEDPREP_ANIMALS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pedprep/findings.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {

struct Repairs;  // mend.h

// Where an animal comes from.
enum class Source : uint8_t {
  kRow,     // a row of the input
  kParent,  // named only as a parent: a founder row
  kAdded,   // the unknown other parent of a row with one known parent: a founder row
  kCopy,    // a copy of another animal in some of its families: a founder row (cuts.h)
};

/// "row", "parent", "added" or "copy", as ids.tsv writes it.
std::string_view source_name(Source source);

// One animal as pedprep writes it. The fields one row of the output needs sit together:
// the runs are written in pedigree order, which visits the animals in no order of theirs.
// Its text is kept as places in the input (Animals::original and Animals::family read it),
// its row by Animals::row_of: 32 bytes, two animals to a cache line and none across two.
struct alignas(32) Animal {
  TextSpan original;  // the input's id (the IID of a .fam); empty for an added one
  TextSpan family;    // empty when the input names no families
  int32_t sire = -1;  // animal index, -1 for none
  int32_t dam = -1;   // -1 exactly when sire is -1, once completed
  int8_t sex = 0;
  int8_t race = 0;
  Source source = Source::kRow;
  uint32_t line = 0;  // its row's line; parent: the first row naming it; added: its child's
};

struct Animals {
  // Indexed by animal a: the input rows first (less duplicates), in file order, then the
  // animals the completion adds, in the order met.
  std::vector<Animal> list;
  // The bytes of InputTable::text, where the animals' text is; the table outlives this.
  const char* text = nullptr;
  int32_t parents_named = 0;  // animals of source kParent
  int32_t parents_added = 0;  // animals of source kAdded
  // The copies (source kCopy) come last, from index first_copy on; copy_of[a - first_copy]
  // is the animal copy a stands for, never itself a copy.
  int32_t first_copy = 0;
  std::vector<int32_t> copy_of;
  // The row (index into InputTable::rows) of each animal of source kRow, when rows were
  // left out as duplicates; empty when row animal a is row a.
  std::vector<int32_t> rows;

  int32_t count() const { return static_cast<int32_t>(list.size()); }
  /// The animal that a stands for: itself, or the original of a copy.
  int32_t original_of(int32_t a) const {
    return a < first_copy || copy_of.empty() ? a : copy_of[static_cast<size_t>(a - first_copy)];
  }
  /// The row of the input that animal a (or the animal copy a stands for) is read from, -1
  /// for a founder added.
  int32_t row_of(int32_t a) const {
    const int32_t of = original_of(a);
    if (list[static_cast<size_t>(of)].source != Source::kRow) return -1;
    return rows.empty() ? of : rows[static_cast<size_t>(of)];
  }
  /// The input's id of an animal; empty for an added one.
  std::string_view original(const Animal& animal) const { return text_of(animal.original); }
  std::string_view original(int32_t a) const { return original(list[static_cast<size_t>(a)]); }
  /// The family of an animal; empty when the input names no families.
  std::string_view family(const Animal& animal) const { return text_of(animal.family); }
  std::string_view family(int32_t a) const { return family(list[static_cast<size_t>(a)]); }
  std::string_view text_of(TextSpan span) const { return {text + span.offset, span.size}; }
};

/// How findings name an animal: its id in quotes, or "(added sire of line N)".
std::string animal_name(const Animals& animals, int32_t animal);

/// Finds every row's parents, makes a founder of every animal named only as a parent and
/// adds a founder for the unknown parent of a row with one known parent (sex 1 for a sire,
/// 2 for a dam, race 0). Errors and warnings go to `report`; a duplicate row is left out.
/// With `repairs` (--mend), what dropping a link or a row repairs is repaired first and
/// recorded there (mend.h), cycles included. A parent in another family than its child is
/// an error, unless `parents_across_families`: the link is then kept (cutting.h makes a
/// copy of the parent).
Animals complete_animals(const InputTable& table, Report& report, Repairs* repairs = nullptr,
                         bool parents_across_families = false);

/// Keeps of the input's bytes only the animals' ids and families, one after another, as
/// the new InputTable::text, which the animals then index: the stages to come find the ids
/// close together, in less memory. The rows and the race spellings of the table, which
/// view into the old bytes, are emptied.
void keep_animal_text(InputTable& table, Animals& animals);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_ANIMALS_H_
