// The family record tables and the emit of one family record: its entry in the tables the
// second stage exports, and its block of lines in VOLMA.DAT (unit 20).
#ifndef PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_
#define PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/population.h"
#include "records/exponent_field_cache.h"
#include "records/run_end.h"

namespace pedpeel {

// Record kinds (ITYPE).
inline constexpr int32_t kPeeledFamily = 1;
inline constexpr int32_t kLoopHead = 4;
inline constexpr int32_t kFirstParentMating = 5;
inline constexpr int32_t kSecondParentMating = 6;
inline constexpr int32_t kSibMating = 7;

inline constexpr int kVolmaUnit = 20;

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

// A row lookup by linear search of the pedigree's rows.
class LinearRowLookup : public RowLookup {
 public:
  LinearRowLookup(const Population& population, int pedigree);
  int32_t row_of(int16_t id) const override;

 private:
  const Population& population_;
  int32_t first_row_;
  int32_t last_row_;
};

// Everything an emit touches.
struct EmitContext {
  RunIo& io;
  const Population& population;
  RecordTables& records;
};

struct FamilyRecord {
  int pedigree;                      // p
  std::span<const int16_t> members;  // first parent, second parent, children
  int32_t itype;
  int32_t iway;
  int32_t npot;
};

// Where the core's passes send each family they take.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  /// Takes one family record; `lookup` finds member rows in the record's pedigree.
  virtual void emit(const FamilyRecord& record, const RowLookup& lookup) = 0;
};

// The run's sink: the record tables and VOLMA.DAT.
class VolmaRecordSink : public RecordSink {
 public:
  explicit VolmaRecordSink(EmitContext context) : context_(context) {}
  void emit(const FamilyRecord& record, const RowLookup& lookup) override;

 private:
  EmitContext context_;
  ExponentFieldCache blood_fields_{12, 4};  // BLOOD fractions, E12.4
};

/// Writes VOLMA.DAT's first record: NIND (KEND(NPED)) and NRACE.
void write_volma_first_record(RunIo& io, const Population& population);

/// Appends the record to the tables and writes its block. Stops the run before anything of
/// the record is written when its members would take MEMBERS past 32767 entries. BLOOD
/// fields come from `blood_fields` when it is given.
void emit_family_record(EmitContext& context, const RowLookup& lookup, const FamilyRecord& record,
                        ExponentFieldCache* blood_fields = nullptr);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_FAMILY_RECORDS_H_
