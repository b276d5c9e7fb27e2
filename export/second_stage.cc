#include "export/second_stage.h"

#include "export/ivm_file.h"
#include "export/iwa_file.h"
#include "export/origin_check.h"

namespace pedpeel {

int8_t recode_race(int8_t race) {
  if (race == 100) return 0;
  return static_cast<int8_t>(static_cast<uint8_t>(race) + 2);
}

void run_second_stage(RunIo& io, Population& population, const RecordTables& records) {
  for (int32_t i = 1; i <= population.NIND; ++i)
    population.RACE[i] = recode_race(population.RACE[i]);
  write_iwa_file(io.units, population, records);
  run_origin_check(io.console, population);
  write_ivm_file(io, population, records);
}

}  // namespace pedpeel
