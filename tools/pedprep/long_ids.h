// The INI_ID of an id longer than the 12 bytes an INI_ID holds: the 12-byte part of the
// ids that tells the animals apart, most often their end ("DE100000156942" ->
// "100000156942"), where that part is no other animal's; else a shortened form with a
// counter, distinct within its run (run_output.h).
#ifndef PEDPEEL_TOOLS_PEDPREP_LONG_IDS_H_
#define PEDPEEL_TOOLS_PEDPREP_LONG_IDS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"

namespace pedpeel::pedprep {

struct LongIds {
  bool from_end = true;    // the part kept is the end of the ids, else their start
  std::vector<bool> kept;  // by animal: its id is long and its part is no other's
  int64_t count = 0;       // long ids
  int64_t kept_count = 0;  // long ids whose part is kept
  int32_t first = -1;      // the first animal with a long id

  /// The part of `id` kept: its last (or first) 12 bytes, cut to whole UTF-8 characters.
  std::string_view part(std::string_view id) const;
};

/// Chooses the end or the start of the long ids, whichever leaves fewer of them alike,
/// and marks the ids whose part is neither another long id's part nor another animal's id
/// (a copy is the animal it copies, not another).
LongIds find_long_ids(const Animals& animals);

/// Warns once when there are long ids, giving their count and what INI_ID holds.
void warn_of_long_ids(const Animals& animals, const LongIds& long_ids, Report& report);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_LONG_IDS_H_
