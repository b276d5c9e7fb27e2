// pedinfo find: where the animals of the input went. For each original id, every row
// that stands for it in the runs of a directory pedprep wrote (the run, IPED, ID, and
// whether pedprep made the row as a copy), and every family record of VOLMA.DAT in which
// that row is a parent or a child, once pedpeel has run there.
#ifndef PEDPEEL_TOOLS_PEDINFO_FIND_H_
#define PEDPEEL_TOOLS_PEDINFO_FIND_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/pedinfo/original_ids.h"
#include "tools/pedinfo/volma_reader.h"

namespace pedpeel::pedinfo {

// What pedpeel has left in a run directory.
enum class RunState {
  kNotRun,  // no VOLMA.DAT: pedpeel has not run there yet
  kRun,     // VOLMA.DAT holds the family records of every pedigree
  kLoop,    // def.err holds a loop report: VOLMA.DAT ends at that pedigree
};

// A family record in which a row appears.
struct FoundFamily {
  VolmaBlock block;
  size_t position = 0;                 // of the row in the member list (0, 1: parents)
  std::vector<std::string> originals;  // of the members, empty when the run has none
};

// A row that stands for an original id.
struct FoundRow {
  std::string run;  // as runs.txt names it (a single run directory: as given)
  int32_t row = 0;  // in the run's pedigree file, from 1
  int pedigree = 0;
  int16_t iped = 0;
  int16_t id = 0;
  std::string source;   // as ids.tsv gives it
  std::string copy_of;  // a copy's original row as RUNDIR/IPED/ID
  bool is_copy() const { return !copy_of.empty() || source == ids_tsv::kSourceCopy; }
  RunState state = RunState::kNotRun;
  std::vector<FoundFamily> families;  // in VOLMA.DAT order
};

struct FoundAnimal {
  std::string original;
  std::vector<FoundRow>
      rows;  // its row, then its copies: runs in runs.txt order, rows in row order
};

struct FindReport {
  std::string directory;
  std::vector<FoundAnimal> animals;  // in the order asked
};

/// Finds `originals` in the runs of `directory` (a runs directory, or one run directory
/// with an ids.tsv), with their family records when `with_families`. Returns what could
/// not be read, naming the file, or nullopt.
std::optional<std::string> find_animals(const std::string& directory,
                                        const std::vector<std::string>& originals,
                                        FindReport* report, bool with_families = true);

/// Text: per original id, its rows, each with its family records.
void write_find_text(const FindReport& report, std::ostream& out);
/// The same as one JSON document.
void write_find_json(const FindReport& report, std::ostream& out);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_FIND_H_
