#include "pedigree/loader.h"

#include "records/limits.h"
#include "records/patterns.h"
#include "records/run_files.h"
#include "records/statement.h"

namespace pedpeel {

namespace {

// The two ways to read the records of a data file. The load is written once, over a
// reader: begin() starts the record of a row (0: the count record), item() reads the next
// item, end() finishes the record. begin() and end() return false when the rest of the
// file is to be skipped.

// pedpeel's own reading: every failure ends the run.
class PlainReader {
 public:
  explicit PlainReader(Units& units) : statement_(units) {}
  void open(DataFile /*file*/) {}
  bool begin(const Pattern& pattern, int32_t /*row*/) {
    statement_.begin_statement(kDataUnit, pattern, Direction::kRead);
    return true;
  }
  template <typename Target>
  void item(Target target) {
    statement_.transfer(target);
  }
  bool end() {
    statement_.end_statement();
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
      const AfterFailure after = observer_.read_failed(record(), item, error);
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
    observer_.record_read(record());
    return true;
  }

 private:
  LoadedRecord record() const {
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

template <typename Reader>
void load_pedigree_file(Units& units, Reader& reader, std::string_view name,
                        Population& population) {
  units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  reader.open(DataFile::kPedigree);
  if (reader.begin(PAT_COUNTS, 0)) {
    reader.item(&population.NIND);
    if (reader.end()) {
      check_individuals(population.NIND);
      population.reserve_rows(population.NIND);
      for (int32_t i = 1; i <= population.NIND; ++i) {
        if (!reader.begin(PAT_PEDREC, i)) break;
        reader.item(&population.IPED[i]);
        reader.item(&population.ID[i]);
        reader.item(&population.IPAR1[i]);
        reader.item(&population.IPAR2[i]);
        reader.item(&population.RACE[i]);
        reader.item(&population.SEX[i]);
        reader.item(std::span<char>(population.INI_ID[i]));
        if (!reader.end()) break;
      }
    }
  }
  units.close(kDataUnit);
}

template <typename Reader>
void load_blood_file(Units& units, Reader& reader, std::string_view name, Population& population) {
  units.open(kDataUnit, name, Form::kFormatted, OpenIntent::kInput);
  reader.open(DataFile::kBlood);
  if (reader.begin(PAT_COUNTS, 0)) {
    reader.item(&population.NIND);
    reader.item(&population.NRACE);
    if (reader.end()) {
      check_individuals(population.NIND);
      if (population.NRACE > kMaxRaces) throw RunStop{StopReason::kTooManyFractions};
      population.reserve_rows(population.NIND);
      const int fractions = population.fraction_count();
      for (int32_t i = 1; i <= population.NIND; ++i) {
        if (!reader.begin(PAT_BLOODREC, i)) break;
        reader.item(std::span<float>(population.BLOOD[i].data(), static_cast<size_t>(fractions)));
        if (!reader.end()) break;
      }
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
