// The limits of a run: how much the population tables, the record tables and the export
// formats can hold. pedpeel stops at the ones it checks; pedinfo, pedgen and pedprep keep
// their output within all of them. Every program takes them from here.
#ifndef PEDPEEL_RECORDS_LIMITS_H_
#define PEDPEEL_RECORDS_LIMITS_H_

#include <cstdint>

namespace pedpeel {

// Largest NIND: rows are numbered by the 16-bit tables of iway.IWA.
inline constexpr int32_t kMaxIndividuals = 32767;
// Largest NRACE: an individual carries NRACE - 1 race fractions, at most ten.
inline constexpr int32_t kMaxRaces = 11;
inline constexpr int kMaxFractions = kMaxRaces - 1;
// Largest number of family member entries (MEMBERS) over the whole run: LSTART is 16-bit.
inline constexpr int32_t kMaxMemberEntries = 32767;
// Most members of one family record in VOLMA.DAT (two parents and their children): the
// member lines of a record repeat their field this many times.
inline constexpr int32_t kMaxRecordMembers = 100;
// Largest number of children a loop head may have.
inline constexpr int32_t kMaxLoopHeadChildren = 300;
// Range of the 16-bit fields of a pedigree record (pedigree number, ID, IPAR1, IPAR2).
inline constexpr int32_t kMinId = -32767;
inline constexpr int32_t kMaxId = 32767;
// Range of the 8-bit codes of a pedigree record (RACE, SEX).
inline constexpr int32_t kMinCode = -127;
inline constexpr int32_t kMaxCode = 127;
// Characters of an initial identifier (INI_ID).
inline constexpr int kIniIdLength = 12;

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_LIMITS_H_
