// iway.IWA: the pedigree and family-record structure and the race and sex codes, as seven
// binary records.
#ifndef PEDPEEL_EXPORT_IWA_FILE_H_
#define PEDPEEL_EXPORT_IWA_FILE_H_

#include <string>
#include <vector>

#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/units.h"

namespace pedpeel {

/// The data of the seven records, in file order:
///   1. I4 NPED; I2 NPED, KEND(0..NPED)
///   2. I2 NPED (PEDFAM's count slot), PEDFAM(1..NPED+1)
///   3. I4 NFAMREC+2; I2 NFAMREC, LSTART(1..NFAMREC+1)
///   4. I4 T = LSTART(NFAMREC+1); I2 MEMBERS(1..T)
///   5. I2 IWAYREC(1..NFAMREC)
///   6. I1 RACE(1..NIND), recoded
///   7. I1 SEX(1..NIND)
/// A count below 0 is taken as 0.
std::vector<std::string> iwa_records(const Population& population, const RecordTables& records);

/// Writes iway.IWA on unit 11 and closes it.
void write_iwa_file(Units& units, const Population& population, const RecordTables& records);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_IWA_FILE_H_
