// The pedigrees of the completed animals: the connected components of the parent links
// (within a family, since a parent is never in another one), each with its animals in an
// order that puts parents before offspring, and what a run of pedpeel needs to hold it.
#ifndef PEDPEEL_TOOLS_PEDPREP_PEDIGREES_H_
#define PEDPEEL_TOOLS_PEDPREP_PEDIGREES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"

namespace pedpeel::pedprep {

struct Pedigree {
  int32_t first = 0;  // its animals are Pedigrees::members[first .. first + rows)
  int32_t rows = 0;
  int32_t families = 0;  // nuclear families: the distinct (sire, dam) pairs of its animals
  int32_t entries = 0;   // family member entries as pedpeel counts them: 2 per family + children
  int32_t named_by = 0;  // its first animal in input order: the pedigree's name in findings
  int32_t most_children = 0;  // of any one of its families
  // The graph of its families and animals (an edge between a family and each member) has
  // a cycle: only then can pedpeel's passes fail to take it apart. Without one, simple
  // peeling always finds a family joined to the rest through at most one animal.
  bool has_cycle = false;
};

struct Pedigrees {
  std::vector<Pedigree> list;        // in the order of their first input row
  std::vector<int32_t> members;      // by pedigree, each parents before offspring
  std::vector<int32_t> pedigree_of;  // by animal: index into list
  std::vector<int32_t> id_of;        // by animal: its ID in its pedigree, 1..rows
};

/// Orders the animals parents first and finds the pedigrees. An animal that is its own
/// ancestor is an error naming the chain of ids; `list` is then empty.
Pedigrees find_pedigrees(const Animals& animals, Report& report);

/// How findings name a pedigree: by its first animal, and its family when it has one.
std::string pedigree_name(const Animals& animals, const Pedigree& pedigree);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_PEDIGREES_H_
