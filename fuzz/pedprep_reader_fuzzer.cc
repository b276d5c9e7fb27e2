// Fuzz target: arbitrary bytes read by pedprep's readers as a CSV, TSV or PLINK .fam file
// (the first byte picks the format, for CSV and TSV whether the column "hol" is read as a
// race fraction, and whether --mend repairs what it can), then checked, completed, split
// into pedigrees and packed into runs of at most 40 rows and 40 member entries, whose rows
// are built in memory.
//
// Invariants: every finding names a line from 1; a row's fields lie inside the file's
// bytes; a mended input has no own-ancestor cycle left and each repair names a line; when
// nothing is refused, every animal has both parents or neither, the runs hold
// every pedigree once within the limits, and each run's rows number the animals of every
// pedigree 1.. with parents first.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/breed_fractions.h"
#include "tools/pedprep/breeds.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/mend.h"
#include "tools/pedprep/packing.h"
#include "tools/pedprep/pedigrees.h"
#include "tools/pedprep/run_output.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {
namespace {

void require(bool condition, const char* invariant) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", invariant);
  std::abort();
}

bool inside(TextSpan field, const std::vector<char>& text) {
  return uint64_t{field.offset} + field.size <= text.size();
}

}  // namespace
}  // namespace pedpeel::pedprep

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pedpeel::pedprep;
  if (size == 0) return 0;
  const Format format = data[0] % 4 == 0   ? Format::kCsv
                        : data[0] % 4 == 1 ? Format::kTsv
                        : data[0] % 4 == 2 ? Format::kTable
                                           : Format::kFam;
  ReadOptions options;
  if (format != Format::kFam && (data[0] & 0x80) != 0) options.fractions.push_back("hol");

  InputTable table;
  table.text.assign(data + 1, data + size);
  Report report("fuzz");
  read_table(format, options, table, report);
  for (const InputRow& row : table.rows) {
    require(row.line >= 1, "a row starts on a line from 1");
    require(row.id.size > 0, "a row has an id");
    for (const TextSpan& field : {row.id, row.sire, row.dam, row.family}) {
      require(inside(field, table.text), "a field lies inside the file");
    }
  }
  require(table.fractions.size() == table.rows.size() * static_cast<size_t>(table.fraction_count),
          "fractions per row");

  const Races races = code_races(table, {}, report);
  const bool mend = (data[0] & 0x40) != 0;
  Repairs repairs;
  const Animals animals = complete_animals(table, report, mend ? &repairs : nullptr);
  const int64_t errors_before_pedigrees = report.errors();
  const Pedigrees pedigrees = find_pedigrees(animals, report);
  if (mend) {
    require(report.errors() == errors_before_pedigrees, "no cycle left after --mend");
    for (const Repair& repair : repairs.list) require(repair.line >= 1, "a repair names a line");
    require(!mended_tsv(repairs).empty(), "mended.tsv has its header");
  }
  const RunLimits limits{40, 40};
  std::vector<Run> runs;
  if (report.errors() == 0) runs = pack_runs(pedigrees, animals, report, limits);
  for (const Finding& finding : report.findings())
    require(finding.line >= 1, "a finding names a line");
  if (report.errors() > 0) return 0;

  for (const Animal& animal : animals.list) {
    require((animal.sire < 0) == (animal.dam < 0), "both parents or neither");
  }
  std::vector<int> seen(pedigrees.list.size(), 0);
  for (const Run& run : runs) {
    require(run.rows <= limits.rows && run.entries <= limits.entries, "a run within the limits");
    for (int32_t p : run.pedigrees) ++seen[static_cast<size_t>(p)];
  }
  for (int count : seen) require(count == 1, "every pedigree in one run");

  const Blood blood = table.fraction_count > 0 ? blood_from_rows(table, animals)
                                               : blood_from_pedigree(animals, pedigrees, races);
  for (float fraction : blood.of_animal) require(fraction >= 0 && fraction <= 1, "a fraction");
  const LongIds long_ids = find_long_ids(animals);
  const Placement placement = place_pedigrees(pedigrees, runs);
  // As pedprep decides it: '~' anywhere in the input.
  const bool ids_hold_tilde = std::find(data + 1, data + size, '~') != data + size;
  RunContents contents;
  for (size_t r = 0; r < runs.size(); ++r) {
    run_contents(long_ids, animals, pedigrees, blood, runs, placement, r, ids_hold_tilde,
                 &contents);
    int16_t IPED = 0;
    int16_t next_id = 0;
    for (const pedpeel::IndividualRecord& record : contents.records) {
      if (record.IPED != IPED) {
        require(record.IPED == IPED + 1, "pedigrees numbered 1..");
        IPED = record.IPED;
        next_id = 1;
      }
      require(record.ID == next_id++, "IDs numbered 1.. in each pedigree");
      require(record.IPAR1 < record.ID && record.IPAR2 < record.ID, "parents first");
      require((record.IPAR1 == 0) == (record.IPAR2 == 0), "both parent IDs or neither");
    }
  }
  return 0;
}
