// The VOLMA.DAT block of one family record, rendered straight into the unit's output: the
// lines the record statements with PAT_HEADER, PAT_IDS, PAT_INI_ID, PAT_TRAIT, PAT_SEX,
// PAT_RACE and PAT_BLOOD write, byte for byte, with the unit flushed where each statement
// would flush it, and nothing allocated per field.
#ifndef PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_
#define PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_

#include <cstdint>
#include <span>

#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/exponent_field_cache.h"
#include "records/units.h"

namespace pedpeel {

/// Writes the block of `record` to the unit. rows[m] is the row of member m, 0 when the
/// member has no row in its pedigree (it shows blanks and zeros). BLOOD fields come from
/// `blood_fields` (E12.4) when it is given.
void write_volma_block(Units& units, int unit, const Population& population,
                       const FamilyRecord& record, std::span<const int32_t> rows,
                       ExponentFieldCache* blood_fields = nullptr);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_VOLMA_BLOCK_H_
