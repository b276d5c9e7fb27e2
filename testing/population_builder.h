// Test support for the stages below the run driver: population tables built from a compact
// row list, and a run's I/O state (units in a scratch directory, console in a string).
#ifndef PEDPEEL_TESTING_POPULATION_BUILDER_H_
#define PEDPEEL_TESTING_POPULATION_BUILDER_H_

#include <fcntl.h>
#include <unistd.h>

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
  Population population;
  population.NIND = static_cast<int32_t>(rows.size());
  population.NRACE = NRACE;
  population.reserve_rows(population.NIND);
  for (size_t k = 0; k < rows.size(); ++k) {
    const Row& row = rows[k];
    const size_t i = k + 1;
    population.IPED[i] = row.IPED;
    population.ID[i] = row.ID;
    population.IPAR1[i] = row.IPAR1;
    population.IPAR2[i] = row.IPAR2;
    population.RACE[i] = row.RACE;
    population.SEX[i] = row.SEX;
    population.INI_ID[i].fill(' ');
    for (size_t c = 0; c < row.INI_ID.size() && c < population.INI_ID[i].size(); ++c) {
      population.INI_ID[i][c] = row.INI_ID[c];
    }
    for (size_t j = 0; j < row.BLOOD.size() && j < population.BLOOD[i].size(); ++j) {
      population.BLOOD[i][j] = row.BLOOD[j];
    }
  }
  group_pedigrees(population);
  return population;
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
  std::string console() const { return out_.str(); }
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
