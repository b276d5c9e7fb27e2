// The VOLMA.DAT block rendered straight into the unit against the same block written
// statement by statement through the record patterns.
#include "pedigree/volma_block.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <sstream>

#include "records/patterns.h"
#include "records/run_end.h"
#include "records/statement.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

constexpr int kUnit = 20;

// The block as the record statements write it.
void write_block_by_statements(Units& units, const Population& population,
                               const FamilyRecord& record, const std::vector<int32_t>& rows) {
  RecordStatement statement(units);
  statement.begin_statement(kUnit, PAT_HEADER, Direction::kWrite);
  statement.transfer(int32_t{record.pedigree});
  statement.transfer(record.npot);
  statement.transfer(record.iway);
  statement.transfer(record.itype);
  statement.end_statement();
  statement.begin_statement(kUnit, PAT_IDS, Direction::kWrite);
  for (int16_t id : record.members) statement.transfer(int32_t{id});
  statement.end_statement();
  statement.begin_statement(kUnit, PAT_INI_ID, Direction::kWrite);
  const IniId blank = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  for (int32_t row : rows) {
    const IniId& ini = row != 0 ? population.INI_ID[row] : blank;
    statement.transfer(std::string_view(ini.data(), ini.size()));
  }
  statement.end_statement();
  statement.begin_statement(kUnit, PAT_TRAIT, Direction::kWrite);
  for (size_t m = 0; m < rows.size(); ++m) statement.transfer(int32_t{0});
  statement.end_statement();
  statement.begin_statement(kUnit, PAT_SEX, Direction::kWrite);
  for (int32_t row : rows) statement.transfer(int32_t{row != 0 ? population.SEX[row] : int8_t{0}});
  statement.end_statement();
  statement.begin_statement(kUnit, PAT_RACE, Direction::kWrite);
  for (int32_t row : rows) statement.transfer(int32_t{row != 0 ? population.RACE[row] : int8_t{0}});
  statement.end_statement();
  for (int32_t row : rows) {
    statement.begin_statement(kUnit, PAT_BLOOD, Direction::kWrite);
    for (int j = 0; j < population.fraction_count(); ++j) {
      statement.transfer(row != 0 ? population.BLOOD[row][j] : 0.0f);
    }
    statement.end_statement();
  }
}

// Units on a scratch directory with VOLMA.DAT open on unit 20.
class ScratchUnits {
 public:
  ScratchUnits() : fd_(::open(dir_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    environment_.in = &in_;
    environment_.out = &out_;
    environment_.err = &out_;
    io_ = std::make_unique<RunIo>(fd_, environment_);
    io_->units.open(kUnit, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  }
  ~ScratchUnits() {
    io_.reset();
    ::close(fd_);
  }
  Units& units() { return io_->units; }
  std::string written() {
    io_->units.close(kUnit);
    return dir_.read("VOLMA.DAT").value_or("");
  }

 private:
  testing::TempDir dir_;
  int fd_;
  std::istringstream in_;
  std::ostringstream out_;
  RunEnvironment environment_;
  std::unique_ptr<RunIo> io_;
};

TEST(VolmaBlockRenderingTest, RandomBlocksMatchTheStatements) {
  std::mt19937 random(21);
  for (int n = 0; n < 80; ++n) {
    Population population;
    population.NRACE = 1 + static_cast<int32_t>(random() % 11);
    population.NIND = 1 + static_cast<int32_t>(random() % 40);
    population.reserve_rows(population.NIND);
    for (int32_t i = 1; i <= population.NIND; ++i) {
      population.SEX[i] = static_cast<int8_t>(static_cast<int>(random() % 256) - 128);
      population.RACE[i] = static_cast<int8_t>(static_cast<int>(random() % 256) - 128);
      for (char& c : population.INI_ID[i]) c = static_cast<char>(' ' + random() % 95);
      for (float& fraction : population.BLOOD[i]) {
        fraction = random() % 3 == 0
                       ? 0.0f
                       : static_cast<float>(static_cast<int>(random() % 20001) - 10000) /
                             static_cast<float>(1 + random() % 9999);
      }
    }
    // Up to 250 members: lines past 100 fields continue on further records.
    std::vector<int16_t> members(2 + random() % (random() % 4 == 0 ? 249 : 9));
    std::vector<int32_t> rows;
    for (int16_t& id : members) {
      id = static_cast<int16_t>(static_cast<int>(random() % 200000) - 100000);
      rows.push_back(random() % 5 == 0 ? 0 : 1 + static_cast<int32_t>(random() % population.NIND));
    }
    const FamilyRecord record{
        static_cast<int>(random() % 20000), members, static_cast<int32_t>(random() % 9) - 1,
        static_cast<int32_t>(random() % 300000) - 150000, static_cast<int32_t>(random() % 20000)};

    ScratchUnits expected, cached, uncached;
    write_block_by_statements(expected.units(), population, record, rows);
    ExponentFieldCache cache(12, 4);
    write_volma_block(cached.units(), kUnit, population, record, rows, &cache);
    write_volma_block(uncached.units(), kUnit, population, record, rows);
    const std::string want = expected.written();
    const std::string got_cached = cached.written();
    ASSERT_EQ(want, got_cached) << testing::first_difference(want, got_cached);
    ASSERT_EQ(want, uncached.written());
  }
}

}  // namespace
}  // namespace pedpeel
