// A peeling engine: how the core groups a pedigree into families, finds member rows and
// runs the two passes. Every engine takes the families in the peeling order: each pass
// takes, in family order, every family its rule allows at the moment it is reached, as an
// in-order scan of all families would.
#ifndef PEDPEEL_PEDIGREE_ENGINE_H_
#define PEDPEEL_PEDIGREE_ENGINE_H_

#include <memory>

#include "pedigree/families.h"
#include "pedigree/pass_context.h"

namespace pedpeel {

class PeelingEngine {
 public:
  virtual ~PeelingEngine() = default;
  /// Groups pedigree p of the population into `families` and prepares its lookups.
  virtual void start_pedigree(const Population& population, int pedigree, Families& families) = 0;
  /// Finds member rows in the pedigree last started.
  virtual const RowLookup& lookup() const = 0;
  virtual void peel_pass(PassContext& context) = 0;
  virtual ResolveOutcome resolve_pass(PassContext& context) = 0;
  /// Families of the current pedigree not yet taken.
  virtual int32_t untaken(const Families& families) const = 0;
};

/// The engine a user runs: indexed throughout (indexed_engine.h).
std::unique_ptr<PeelingEngine> make_production_engine();

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_ENGINE_H_
