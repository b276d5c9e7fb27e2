// Cutting with copies of animals what one run of pedpeel cannot take: parents in another
// family (herd), loops pedpeel cannot take apart, and pedigrees or families too large for
// a run or a record. A copy of an animal is a founder row with a new ID and the animal's
// id (so its INI_ID), sex, race and fractions, put in the animal's place as a parent in
// one family; ids.tsv marks it and names the row it copies.
#ifndef PEDPEEL_TOOLS_PEDPREP_CUTTING_H_
#define PEDPEEL_TOOLS_PEDPREP_CUTTING_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/packing.h"
#include "tools/pedprep/pedigrees.h"

namespace pedpeel::pedprep {

// A pedigree (as found before any cut but the herd copies) that got copies.
struct CutPedigree {
  int32_t named_by = 0;  // its first animal in input order
  int32_t rows = 0;
  int32_t families = 0;
  int64_t cyclomatic = 0;  // member entries - rows - families + 1
  int64_t loop_copies = 0;
  int64_t size_copies = 0;
};

struct CutSummary {
  int64_t loop_copies = 0;
  int64_t herd_copies = 0;
  int64_t size_copies = 0;
  int64_t animals_copied = 0;          // distinct animals with at least one copy
  std::vector<CutPedigree> pedigrees;  // in pedigree order

  int64_t copies() const { return loop_copies + herd_copies + size_copies; }
};

// The file listing the pedigrees that got copies.
inline constexpr char kCutsFile[] = "cuts.tsv";

/// Reserves room in the animal table for the copies the loop cuts may make and some for
/// size: best taken while a large block of freed memory can hold the table, which is
/// then not moved when the copies come.
void reserve_copies(Animals& animals);

/// A parent in another family than its child (only `complete_animals` with
/// `parents_across_families` leaves such links) gets a copy in the child's family, one per
/// parent and family, in place of it for all its children there.
void copy_parents_across_families(Animals& animals, CutSummary& summary);

/// Cuts `pedigrees` (found from `animals`) until every pedigree fits one run within
/// `limits`, and pedpeel takes each whole: the loops it takes itself stay. Returns the
/// pedigrees found anew, or `pedigrees` itself when nothing needs a cut. Adds the copies
/// made to `summary`.
Pedigrees cut_pedigrees(Animals& animals, Pedigrees pedigrees, const RunLimits& limits,
                        Report& report, CutSummary& summary);

/// cuts.tsv: a header line, then per pedigree that got copies its family, first id,
/// animals, families, cyclomatic number and the copies made for its loops and its size.
std::string cuts_file(const Animals& animals, const CutSummary& summary);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_CUTTING_H_
