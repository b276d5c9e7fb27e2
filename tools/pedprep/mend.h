// The repairs of --mend: errors of a herd-book that dropping a parent link or a row
// repairs, each made with one warning naming the line and what was dropped, and listed in
// mended.tsv. Without --mend the same findings are errors that refuse the input:
// - duplicate rows: merged when they agree, else the first kept;
// - an animal used as sire and as dam: it keeps the role it holds more often;
// - an own-ancestor cycle: loses the link that makes a parent younger than its
//   offspring, else the link of the row that comes last in the file;
// - a parent born after its offspring: the link is dropped.
#ifndef PEDPEEL_TOOLS_PEDPREP_MEND_H_
#define PEDPEEL_TOOLS_PEDPREP_MEND_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {

// The list of repairs written into the output directory, and its header line: the input
// line, the id of its row, what was dropped and why.
inline constexpr char kMendedFile[] = "mended.tsv";
inline constexpr char kMendedHeader[] = "line\tid\tdropped\twhy\n";

struct Repair {
  int64_t line = 0;
  std::string id;
  std::string dropped;  // "sire \"B\"", "dam \"C\"" or "row"
  std::string why;
};

struct Repairs {
  std::vector<Repair> list;

  /// Records a repair and warns of it at its line.
  void add(Report& report, Warning kind, Repair repair);
};

/// mended.tsv.
std::string mended_tsv(const Repairs& repairs);

/// Whether two rows of one id agree: the same parents, family, sex, race, birth date and
/// race fractions.
bool rows_agree(const InputTable& table, int32_t row, int32_t other);

/// An animal used as sire and as dam (in two rows, or in one): with `repairs`, the links
/// of the role it holds less often are dropped (on a tie, the role its sex gives, else the
/// role it has first); without, nothing (complete_animals reports it).
void mend_roles(Animals& animals, int32_t row_animals, Report& report, Repairs* repairs);

/// Own-ancestor cycles: with `repairs`, each loses one link (see above), so that none is
/// left; without, nothing (find_pedigrees reports them).
void mend_cycles(Animals& animals, const InputTable& table, Report& report, Repairs* repairs);

/// A parent born after its offspring, when the input has a birth date column: with
/// `repairs` the link is dropped, without it is an error.
void check_birth_order(Animals& animals, int32_t row_animals, const InputTable& table,
                       Report& report, Repairs* repairs);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_MEND_H_
