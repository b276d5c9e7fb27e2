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

/// The data of the seven records, in file order, laid out as export/iwa_format.h says.
/// A count below 0 is taken as 0.
std::vector<std::string> iwa_records(const Population& population, const RecordTables& records);

/// Writes iway.IWA on unit 11 and closes it.
void write_iwa_file(Units& units, const Population& population, const RecordTables& records);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_IWA_FILE_H_
