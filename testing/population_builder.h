// Test support for the stages below the run driver: population tables built from a compact
// row list, and a run's I/O state (units in a scratch directory, console in a string).
#ifndef PEDPEEL_TESTING_POPULATION_BUILDER_H_
#define PEDPEEL_TESTING_POPULATION_BUILDER_H_

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "pedigree/population.h"
#include "records/run_end.h"
#include "testing/temp_run.h"

namespace pedpeel::testing {

// One individual record: IPED, ID, IPAR1, IPAR2, RACE, SEX, INI_ID (blank-padded to 12
// characters) and its BLOOD fractions.
struct Row {
  int16_t IPED = 1;
  int16_t ID = 0;
  int16_t IPAR1 = 0;
  int16_t IPAR2 = 0;
  int8_t RACE = 0;
  int8_t SEX = 0;
  std::string INI_ID = {};
  std::vector<float> BLOOD = {};
};

/// The population tables as the loader leaves them for `rows`, divided into pedigrees.
inline Population make_population(const std::vector<Row>& rows, int32_t NRACE = 1) {
  std::vector<IndividualRecord> records;
  for (const Row& row : rows) {
    IndividualRecord record{row.IPED, row.ID, row.IPAR1, row.IPAR2, row.RACE, row.SEX};
    record.INI_ID.fill(' ');
    std::copy_n(row.INI_ID.begin(), std::min(row.INI_ID.size(), record.INI_ID.size()),
                record.INI_ID.begin());
    std::copy_n(row.BLOOD.begin(), std::min(row.BLOOD.size(), record.BLOOD.size()),
                record.BLOOD.begin());
    records.push_back(record);
  }
  return population_of(records, NRACE);
}

// A run's I/O state for driving one stage directly: units resolve names in a scratch
// directory, the console writes to a string, standard input is empty.
class ScratchIo {
 public:
  ScratchIo() : directory_fd_(::open(dir_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (directory_fd_ < 0) std::abort();
    environment_.directory = dir_.path();
    environment_.in = &in_;
    environment_.out = &out_;
    environment_.err = &err_;
    io_ = std::make_unique<RunIo>(directory_fd_, environment_);
  }
  ~ScratchIo() {
    io_.reset();
    ::close(directory_fd_);
  }
  ScratchIo(const ScratchIo&) = delete;
  ScratchIo& operator=(const ScratchIo&) = delete;

  RunIo& io() { return *io_; }
  const TempDir& dir() const { return dir_; }
  /// What the console has shown so far (a shown line's end waits for the next line).
  std::string console() const {
    io_->console.flush();
    return out_.str();
  }
  /// A file of the scratch directory, empty when it does not exist.
  std::string file(const std::string& name) const { return dir_.read(name).value_or(""); }

 private:
  TempDir dir_;
  int directory_fd_;
  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  RunEnvironment environment_;
  std::unique_ptr<RunIo> io_;
};

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_POPULATION_BUILDER_H_
