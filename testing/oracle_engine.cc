#include "testing/oracle_engine.h"

#include <optional>

namespace pedpeel::testing {

namespace {

class OracleEngine : public PeelingEngine {
 public:
  void start_pedigree(const Population& population, int pedigree, Families& families) override {
    group_families(population, population.KEND[pedigree - 1] + 1, population.KEND[pedigree],
                   families);
    lookup_.emplace(population, pedigree);
  }
  const RowLookup& lookup() const override { return *lookup_; }
  void peel_pass(PassContext& context) override { simple_peeling_pass(context); }
  ResolveOutcome resolve_pass(PassContext& context) override {
    return loop_resolution_pass(context);
  }
  int32_t untaken(const Families& families) const override { return families.untaken(); }

 private:
  std::optional<LinearRowLookup> lookup_;
};

}  // namespace

std::unique_ptr<PeelingEngine> make_oracle_engine() {
  return std::make_unique<OracleEngine>();
}

}  // namespace pedpeel::testing
