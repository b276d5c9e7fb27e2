// The family record tables and the emit of one family record: its entry in the tables the
// second stage exports, and its block of lines in VOLMA.DAT (unit 20).
#ifndef PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_
#define PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/population.h"
#include "records/units.h"

namespace pedpeel {

// Record kinds (ITYPE).
inline constexpr int32_t kPeeledFamily = 1;
inline constexpr int32_t kLoopHead = 4;
inline constexpr int32_t kFirstParentMating = 5;
inline constexpr int32_t kSecondParentMating = 6;
inline constexpr int32_t kSibMating = 7;

// Records are numbered r = 1, 2, ... in the order emitted, across all pedigrees. Index 0 of
// every table is unused.
struct RecordTables {
  int32_t IREC = 1;                   // number of the next record
  int16_t NFAMREC = 0;                // record count, set when the core completes
  std::vector<int16_t> MEMBERS{0};    // member IDs of all records, one list after the other
  std::vector<int16_t> LSTART{0, 0};  // record r is MEMBERS[LSTART[r]+1 .. LSTART[r+1]]
  std::vector<int16_t> IWAYREC{0};    // per record: its IWAY
  std::vector<int32_t> ITYPE{0};      // per record: its kind
  int16_t PEDFAM_COUNT = 0;           // the slot before PEDFAM[1]: a copy of NPED
  std::vector<int16_t> PEDFAM{0};     // pedigree p owns records PEDFAM[p]+1 .. PEDFAM[p+1]
};

// Finds the row of a member ID in the current pedigree (first row with that ID).
class RowLookup {
 public:
  virtual ~RowLookup() = default;
  /// The row, or 0 when no row of the pedigree has that ID.
  virtual int32_t row_of(int16_t id) const = 0;
};

struct FamilyRecord {
  int pedigree;                      // p
  std::span<const int16_t> members;  // first parent, second parent, children
  int32_t itype;
  int32_t iway;
  int32_t npot;
};

// Where taken families go.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  /// Pedigree p starts, with its number of families (0 for a pedigree without rows).
  virtual void begin_pedigree(int /*pedigree*/, int32_t /*families*/) {}
  /// Takes one family record; `lookup` finds member rows in the record's pedigree.
  virtual void emit(const FamilyRecord& record, const RowLookup& lookup) = 0;
};

// The record tables alone: what the second stage exports, and the member-entry limit.
class RecordTablesSink : public RecordSink {
 public:
  /// Sizes PEDFAM for the population's NPED pedigrees.
  RecordTablesSink(const Population& population, RecordTables& records);
  void begin_pedigree(int pedigree, int32_t families) override;
  void emit(const FamilyRecord& record, const RowLookup& lookup) override;

 protected:
  const Population& population_;
  RecordTables& records_;
};

// The run's sink: the record tables and a block in VOLMA.DAT per record.
class VolmaRecordSink : public RecordTablesSink {
 public:
  VolmaRecordSink(Units& units, const Population& population, RecordTables& records)
      : RecordTablesSink(population, records), units_(units) {}
  void emit(const FamilyRecord& record, const RowLookup& lookup) override;

 private:
  Units& units_;
};

/// Writes VOLMA.DAT's first record: NIND (KEND(NPED)) and NRACE.
void write_volma_first_record(Units& units, const Population& population);

/// Appends the record to the tables. Stops the run (kTooManyMemberEntries) and leaves the
/// tables as they were when its members would take MEMBERS past its limit.
void append_family_record(RecordTables& records, const FamilyRecord& record);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_
