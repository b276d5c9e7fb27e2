// The test oracle: the peeling engine in its straightforward form, in which every test
// scans the lists of the families not yet taken. It defines the order of the records; the
// shipped engine must take the same families in the same order. Linked into tests and
// benchmarks only.
#ifndef PEDPEEL_TESTING_ORACLE_ENGINE_H_
#define PEDPEEL_TESTING_ORACLE_ENGINE_H_

#include <memory>

#include "pedigree/engine.h"
#include "pedigree/families.h"
#include "pedigree/family_records.h"
#include "pedigree/pass_context.h"

namespace pedpeel::testing {

/// Family grouping of the rows first_row..last_row by straightforward scans: every row
/// with IPAR1 != 0 not yet assigned starts a family of its ordered parent pair and collects
/// every later row with the same pair.
void group_families(const Population& population, int32_t first_row, int32_t last_row,
                    Families& families);

// A row lookup by linear search of the pedigree's rows.
class LinearRowLookup : public RowLookup {
 public:
  LinearRowLookup(const Population& population, int pedigree);
  int32_t row_of(int16_t id) const override;

 private:
  const Population& population_;
  int32_t first_row_;
  int32_t last_row_;
};

/// Simple peeling: takes, in family order, every family joined to the untaken families
/// through at most one member position; the linking child moves to the first child place.
void simple_peeling_pass(PassContext& context);

/// Loop resolution: takes a family whose children mate with each other or with one of its
/// parents (kind 4) together with the families of those matings (kinds 5, 6, 7).
ResolveOutcome loop_resolution_pass(PassContext& context);

/// The straightforward engine: linear scans throughout.
std::unique_ptr<PeelingEngine> make_oracle_engine();

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_ORACLE_ENGINE_H_
