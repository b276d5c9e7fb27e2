// iway.IVM: the record count and NIND, the kind of every family record, the INI_ID of
// every individual; and the console warning for more than two races.
#ifndef PEDPEEL_EXPORT_IVM_FILE_H_
#define PEDPEEL_EXPORT_IVM_FILE_H_

#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/run_end.h"

namespace pedpeel {

/// Writes iway.IVM on unit 11 and closes it; prints the two warning lines when NRACE > 2,
/// after the ITYPE records and before the first INI_ID record.
void write_ivm_file(RunIo& io, const Population& population, const RecordTables& records);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_IVM_FILE_H_
