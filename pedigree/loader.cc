#include "pedigree/loader.h"

#include "records/limits.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"
#include "records/whole_record.h"

namespace pedpeel {

namespace {

// The two ways to read the records of a data file. The load is written once, over a
// reader: record() reads the record of a row (0: the count record) into its targets, and
// returns false when the rest of the file is to be skipped.

// pedpeel's own reading: every failure ends the run.
class PlainReader {
 public:
  explicit PlainReader(Units& units) : statement_(units) {}
  void open(DataFile /*file*/) {}
  template <typename... Targets>
  bool record(const Pattern& pattern, int32_t /*row*/, Targets... targets) {
    read_statement(statement_, kDataUnit, pattern, targets...);
    return true;
  }

 private:
  RecordStatement statement_;
};

// Reading watched by an observer, which decides what a failure does.
class ObservedReader {
 public:
  ObservedReader(Units& units, LoadObserver& observer) : statement_(units), observer_(observer) {}

  void open(DataFile file) {
    file_ = file;
    line_ = 0;
  }

  template <typename... Targets>
  bool record(const Pattern& pattern, int32_t row, Targets... targets) {
    if (!begin(pattern, row)) return false;
    (item(targets), ...);
    return end();
  }

 private:
  bool begin(const Pattern& pattern, int32_t row) {
    row_ = row;
    item_ = 0;
    skip_fields_ = false;
    skip_file_ = false;
    try {
      statement_.begin_statement(kDataUnit, pattern, Direction::kRead);
    } catch (const RunError& error) {
      if (observer_.read_failed({file_, line_ + 1, row, {}, 0}, -1, error) ==
          AfterFailure::kEndRun) {
        throw;
      }
      return false;
    }
    ++line_;
    return true;
  }

  // An array: each element an item of its own, for the observer.
  void item(std::span<float> targets) {
    for (float& target : targets) item(&target);
  }
  template <typename Target>
  void item(Target target) {
    const int item = item_++;
    if (skip_fields_) return;
    try {
      statement_.transfer(target);
    } catch (const RunError& error) {
      const AfterFailure after = observer_.read_failed(loaded_record(), item, error);
      if (after == AfterFailure::kEndRun) throw;
      // Nothing more can be read from a file that has ended.
      if (after == AfterFailure::kNextFile || error.code == ErrorCode::kEndOfFile) {
        skip_fields_ = true;
        skip_file_ = true;
      }
    }
  }

  bool end() {
    if (skip_file_) return false;
    statement_.end_statement();
    observer_.record_read(loaded_record());
    return true;
  }

  LoadedRecord loaded_record() const {
    return {file_, line_, row_, statement_.current_record(), statement_.text_past_record()};
  }

  RecordStatement statement_;
  LoadObserver& observer_;
  DataFile file_ = DataFile::kPedigree;
  int32_t line_ = 0;  // records begun in the current file
  int32_t row_ = 0;
  int item_ = 0;              // next item of the current record
  bool skip_fields_ = false;  // the rest of the record is not read
  bool skip_file_ = false;    // the rest of the file is not read
};

void check_individuals(int32_t nind) {
  if (nind > kMaxIndividuals) throw RunStop{StopReason::kTooManyIndividuals};
}

// The two file loads stay out of line: apart from the rest of the run, their record loops
// keep their values in registers.
template <typename Reader>
[[gnu::noinline]] void load_pedigree_file(Units& units, Reader& reader, std::string_view name,
                                          Population& population) {
  units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  reader.open(DataFile::kPedigree);
  if (reader.record(PAT_COUNTS, 0, &population.NIND)) {
    check_individuals(population.NIND);
    population.reserve_rows(population.NIND);
    for (int32_t i = 1; i <= population.NIND; ++i) {
      if (!reader.record(PAT_PEDREC, i, &population.IPED[i], &population.ID[i],
                         &population.IPAR1[i], &population.IPAR2[i], &population.RACE[i],
                         &population.SEX[i], std::span<char>(population.INI_ID[i]))) {
        break;
      }
    }
  }
  units.close(kDataUnit);
}

template <typename Reader>
[[gnu::noinline]] void load_blood_file(Units& units, Reader& reader, std::string_view name,
                                       Population& population) {
  units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  reader.open(DataFile::kBlood);
  if (reader.record(PAT_COUNTS, 0, &population.NIND, &population.NRACE)) {
    check_individuals(population.NIND);
    if (population.NRACE > kMaxRaces) throw RunStop{StopReason::kTooManyFractions};
    population.reserve_rows(population.NIND);
    const auto fractions = static_cast<size_t>(population.fraction_count());
    for (int32_t i = 1; i <= population.NIND; ++i) {
      if (!reader.record(PAT_BLOODREC, i, std::span<float>(population.BLOOD[i].data(), fractions)))
        break;
    }
  }
  units.close(kDataUnit);
}

template <typename Reader>
void load_with(Units& units, Reader& reader, std::string_view pedfile, std::string_view bloodfile,
               Population& population) {
  load_pedigree_file(units, reader, pedfile, population);
  load_blood_file(units, reader, bloodfile, population);
}

}  // namespace

void load_population(RunIo& io, std::string_view pedfile, std::string_view bloodfile,
                     Population& population, LoadObserver* observer) {
  if (observer == nullptr) {
    PlainReader reader(io.units);
    load_with(io.units, reader, pedfile, bloodfile, population);
  } else {
    ObservedReader reader(io.units, *observer);
    load_with(io.units, reader, pedfile, bloodfile, population);
  }
}

}  // namespace pedpeel
