#include "pedigree/loader.h"

#include "records/patterns.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

constexpr int kDataUnit = 3;

void check_individuals(RunIo& io, int32_t nind) {
  if (nind > kMaxIndividuals) stop_with_message(io, " Error: more than 32767 individuals.");
}

void load_pedigree_file(RunIo& io, std::string_view name, Population& population) {
  io.units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io.units);
  statement.begin_statement(kDataUnit, PAT_COUNTS, Direction::kRead);
  statement.transfer(&population.NIND);
  statement.end_statement();
  check_individuals(io, population.NIND);
  population.reserve_rows(population.NIND);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    statement.begin_statement(kDataUnit, PAT_PEDREC, Direction::kRead);
    statement.transfer(&population.IPED[i]);
    statement.transfer(&population.ID[i]);
    statement.transfer(&population.IPAR1[i]);
    statement.transfer(&population.IPAR2[i]);
    statement.transfer(&population.RACE[i]);
    statement.transfer(&population.SEX[i]);
    statement.transfer(std::span<char>(population.INI_ID[i]));
    statement.end_statement();
  }
  io.units.close(kDataUnit);
}

void load_blood_file(RunIo& io, std::string_view name, Population& population) {
  io.units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io.units);
  statement.begin_statement(kDataUnit, PAT_COUNTS, Direction::kRead);
  statement.transfer(&population.NIND);
  statement.transfer(&population.NRACE);
  statement.end_statement();
  check_individuals(io, population.NIND);
  if (population.NRACE > kMaxRaces) {
    stop_with_message(io, " Error: more than 10 race fractions per individual.");
  }
  population.reserve_rows(population.NIND);
  const int fractions = population.fraction_count();
  for (int32_t i = 1; i <= population.NIND; ++i) {
    statement.begin_statement(kDataUnit, PAT_BLOODREC, Direction::kRead);
    for (int j = 0; j < fractions; ++j) statement.transfer(&population.BLOOD[i][j]);
    statement.end_statement();
  }
  io.units.close(kDataUnit);
}

}  // namespace

void load_population(RunIo& io, std::string_view pedfile, std::string_view bloodfile,
                     Population& population) {
  load_pedigree_file(io, pedfile, population);
  load_blood_file(io, bloodfile, population);
}

}  // namespace pedpeel
