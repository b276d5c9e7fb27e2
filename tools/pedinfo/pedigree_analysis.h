// Runs pedpeel's pass control on one pedigree with the shipped engine, as the core does but
// writing nothing, and keeps what it did: the families taken in order with their kinds, how
// it ended, the families left, and one shortest loop through them.
#ifndef PEDPEEL_TOOLS_PEDINFO_PEDIGREE_ANALYSIS_H_
#define PEDPEEL_TOOLS_PEDINFO_PEDIGREE_ANALYSIS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "pedigree/engine.h"
#include "pedigree/families.h"
#include "pedigree/population.h"
#include "records/run_error.h"
#include "tools/pedinfo/shortest_loop.h"

namespace pedpeel::pedinfo {

// How the pass control ended on the pedigree.
enum class PassesEnd {
  kDone,  // every family taken
  kLoop,  // pedpeel writes the loop report
  kStop,  // pedpeel stops the run with a console message
};

// A family as pedpeel takes it.
struct TakenFamily {
  int32_t family = 0;  // number in the pedigree
  int32_t itype = 0;
  int32_t iway = 0;
  std::vector<int16_t> members;  // as the record carries them (pivot moved first)
};

struct PedigreeAnalysis {
  int pedigree = 0;
  Families families;               // as grouped; FAMDONE marks the families taken
  std::vector<int32_t> first_row;  // by family: the row that starts it (the first with its pair)
  std::vector<TakenFamily> taken;  // in the order pedpeel takes them
  std::vector<int32_t> order;      // by family: its place in `taken` from 1, 0 when not taken
  PassesEnd end = PassesEnd::kDone;
  StopReason stop_reason = StopReason::kNotUnderstood;  // kStop: why
  std::string stop_message;    // kStop: the stop's console line, without blanks around it
  std::vector<int32_t> left;   // families not taken, in family order
  std::vector<LoopNode> loop;  // kLoop: a shortest loop through `left` (may be empty)
};

/// Groups pedigree p and runs the pass control on it with the shipped engine. A pedigree
/// without rows yields an empty analysis that ends kDone.
PedigreeAnalysis analyse_pedigree(const Population& population, int pedigree);

/// The same with `engine`, which a caller analysing many pedigrees keeps from one to the
/// next.
PedigreeAnalysis analyse_pedigree(const Population& population, int pedigree,
                                  PeelingEngine& engine);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_PEDIGREE_ANALYSIS_H_
