// The VOLMA.DAT block of one family record: the header, then the members' IDs, initial
// identifiers, trait, sex and race codes, and the race fractions of each member, each
// written through its record pattern.
#ifndef PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_
#define PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_

#include <cstdint>
#include <span>

#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/units.h"

namespace pedpeel {

/// Writes the block of `record` to VOLMA.DAT's unit. rows[m] is the row of member m, 0 when
/// the member has no row in its pedigree (it shows blanks and zeros).
void write_volma_block(Units& units, const Population& population, const FamilyRecord& record,
                       std::span<const int32_t> rows);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_
