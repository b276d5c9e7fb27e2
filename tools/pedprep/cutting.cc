#include "tools/pedprep/cutting.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "records/limits.h"
#include "tools/pedprep/family_graph.h"
#include "tools/pedprep/loop_cuts.h"
#include "tools/pedprep/loop_warnings.h"
#include "tools/pedprep/size_split.h"

namespace pedpeel::pedprep {

namespace {

bool too_large(const Pedigree& pedigree, const RunLimits& limits) {
  return pedigree.rows > limits.rows || pedigree.entries > limits.entries ||
         pedigree.most_children > kMaxRecordMembers - 2;
}

// Counts copies against the pedigrees they were made in, by the pedigree each animal
// belonged to before the cuts.
class CopyTally {
 public:
  /// Takes the pedigree of each animal from `before`.
  CopyTally(Pedigrees& before, CutSummary& summary)
      : pedigree_of_(std::move(before.pedigree_of)), summary_(summary) {
    for (size_t p = 0; p < before.list.size(); ++p) {
      const Pedigree& pedigree = before.list[p];
      CutPedigree cut;
      cut.named_by = pedigree.named_by;
      cut.rows = pedigree.rows;
      cut.families = pedigree.families;
      cut.cyclomatic = int64_t{pedigree.entries} - pedigree.rows - pedigree.families + 1;
      by_pedigree_.push_back(cut);
    }
  }

  void count(const Animals& animals, const std::vector<MadeCopy>& copies, bool for_loops) {
    for (const MadeCopy& copy : copies) {
      const int32_t parent = copy.parent < static_cast<int32_t>(pedigree_of_.size())
                                 ? copy.parent
                                 : animals.original_of(copy.parent);
      CutPedigree& cut =
          by_pedigree_[static_cast<size_t>(pedigree_of_[static_cast<size_t>(parent)])];
      (for_loops ? cut.loop_copies : cut.size_copies) += 1;
      (for_loops ? summary_.loop_copies : summary_.size_copies) += 1;
      ++copies_;
    }
  }

  /// The pedigree of each animal, as taken.
  const std::vector<int32_t>& pedigree_of() const { return pedigree_of_; }
  /// Copies counted so far.
  int64_t copies() const { return copies_; }

  void finish() {
    for (const CutPedigree& cut : by_pedigree_) {
      if (cut.loop_copies + cut.size_copies > 0) summary_.pedigrees.push_back(cut);
    }
  }

 private:
  std::vector<int32_t> pedigree_of_;
  CutSummary& summary_;
  std::vector<CutPedigree> by_pedigree_;
  int64_t copies_ = 0;
};

// By animal: the mark in `marked` of its pedigree.
std::vector<uint8_t> members_of(const Pedigrees& pedigrees, const std::vector<uint8_t>& marked) {
  std::vector<uint8_t> members(pedigrees.pedigree_of.size(), 0);
  for (size_t a = 0; a < members.size(); ++a) {
    members[a] = marked[static_cast<size_t>(pedigrees.pedigree_of[a])];
  }
  return members;
}

// By piece: 1 for a piece of a pedigree marked 2 in `marked` (by the pedigree of each
// animal before the cuts, `pedigree_before`): one split for size, whose kept loops are
// ones pedpeel takes in any piece (loop_cuts.h). A piece is known by any of its animals
// but the copies the cuts made.
std::vector<uint8_t> pieces_of_split(const Pedigrees& pieces,
                                     const std::vector<int32_t>& pedigree_before,
                                     const std::vector<uint8_t>& marked) {
  std::vector<uint8_t> split(pieces.list.size(), 0);
  for (size_t p = 0; p < pieces.list.size(); ++p) {
    const Pedigree& piece = pieces.list[p];
    for (int32_t k = 0; k < piece.rows; ++k) {
      const auto a = static_cast<size_t>(pieces.members[static_cast<size_t>(piece.first + k)]);
      if (a >= pedigree_before.size()) continue;
      split[p] = marked[static_cast<size_t>(pedigree_before[a])] == 2;
      break;
    }
  }
  return split;
}

int64_t distinct_originals(const Animals& animals) {
  std::vector<uint8_t> seen(static_cast<size_t>(animals.first_copy), 0);
  int64_t count = 0;
  for (int32_t original : animals.copy_of) {
    uint8_t& mark = seen[static_cast<size_t>(original)];
    count += mark == 0;
    mark = 1;
  }
  return count;
}

// The copy of a parent in a family it has children in but is not of, by the parent and
// the family's name: open addressing over a power-of-two table at most two thirds full,
// sized once for the most copies there can be. A slot holds the copy; the key's family
// is the copy's.
class CopiesByFamily {
 public:
  CopiesByFamily(const Animals& animals, size_t most) : animals_(animals) {
    size_t capacity = 16;
    while (2 * capacity < 3 * most) capacity *= 2;
    slots_.assign(capacity, Slot{});
  }

  static uint64_t hash_of(int32_t parent, std::string_view family) {
    const uint64_t hash = std::hash<std::string_view>()(family) ^
                          static_cast<uint64_t>(parent) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
  }

  /// Fetches the first slot of a key ahead of of().
  void prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

  /// The copy of `parent` in `family`, whose hash_of is `hash`: -1 when it has none yet,
  /// to be set by the caller before the next call.
  int32_t& of(int32_t parent, std::string_view family, uint64_t hash) {
    const auto check = static_cast<uint32_t>(hash >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
      Slot& slot = slots_[s];
      if (slot.copy < 0) {
        slot.parent = parent;
        slot.check = check;
        return slot.copy;
      }
      if (slot.parent == parent && slot.check == check && animals_.family(slot.copy) == family) {
        return slot.copy;
      }
    }
  }

 private:
  struct Slot {
    int32_t parent = -1;
    int32_t copy = -1;   // -1: a free slot
    uint32_t check = 0;  // high bits of the key's hash
  };

  const Animals& animals_;
  std::vector<Slot> slots_;
};

// Reserves room in `animals` for the copies of loop cuts, at most `for_loops`, and some
// for size.
void reserve(Animals& animals, int64_t for_loops) {
  const int64_t room = animals.count() / 64 + 1024 + for_loops;
  animals.list.reserve(static_cast<size_t>(animals.count() + room));
  animals.copy_of.reserve(animals.copy_of.size() + static_cast<size_t>(room));
}

}  // namespace

void reserve_copies(Animals& animals) {
  // The loops of a pedigree need no more copies than its families, nor those more than
  // its animals.
  reserve(animals, animals.count());
}

void copy_parents_across_families(Animals& animals, CutSummary& summary) {
  // The links of a child to a parent in another family, in the order of the children.
  struct Across {
    int32_t child;
    bool sire;
  };
  std::vector<Across> across;
  const int32_t count = animals.count();
  for (int32_t a = 0; a < count; ++a) {
    const Animal& child = animals.list[static_cast<size_t>(a)];
    for (const bool sire : {true, false}) {
      const int32_t parent = sire ? child.sire : child.dam;
      if (parent >= 0 && animals.family(parent) != animals.family(child)) {
        across.push_back({a, sire});
      }
    }
  }
  // At most a copy a link: the table never regrows while the copies come.
  animals.list.reserve(static_cast<size_t>(count) + across.size());
  animals.copy_of.reserve(animals.copy_of.size() + across.size());
  CopiesByFamily copies(animals, across.size());
  // The slots are visited in no order: each link's is fetched kAhead links ahead.
  constexpr size_t kAhead = 8;
  auto hash_of = [&](const Across& link) {
    const Animal& child = animals.list[static_cast<size_t>(link.child)];
    return CopiesByFamily::hash_of(link.sire ? child.sire : child.dam, animals.family(child));
  };
  for (size_t k = 0; k < across.size(); ++k) {
    if (k + kAhead < across.size()) copies.prefetch(hash_of(across[k + kAhead]));
    const Across& link = across[k];
    Animal& child = animals.list[static_cast<size_t>(link.child)];
    int32_t& parent = link.sire ? child.sire : child.dam;
    const TextSpan family = child.family;
    int32_t& copy = copies.of(parent, animals.text_of(family), hash_of(link));
    if (copy < 0) {
      copy = add_copy(animals, parent);
      animals.list[static_cast<size_t>(copy)].family = family;
      ++summary.herd_copies;
    }
    // The table is reserved: `parent` still refers into it.
    parent = copy;
  }
  summary.animals_copied = distinct_originals(animals);
}

Pedigrees cut_pedigrees(Animals& animals, Pedigrees pedigrees, const RunLimits& limits,
                        Report& report, CutSummary& summary) {
  bool large_families = false;
  bool large = false;
  int64_t cyclomatic = 0;
  std::vector<uint8_t> with_cycle(pedigrees.list.size(), 0);
  std::vector<uint8_t> to_cut(pedigrees.list.size(), 0);
  for (size_t p = 0; p < pedigrees.list.size(); ++p) {
    const Pedigree& pedigree = pedigrees.list[p];
    // 2 for a pedigree to be split: loop_cuts.h keeps fewer loops there.
    with_cycle[p] = pedigree.has_cycle ? 1 + too_large(pedigree, limits) : 0;
    to_cut[p] = pedigree.has_cycle || too_large(pedigree, limits);
    large = large || too_large(pedigree, limits);
    large_families = large_families || pedigree.most_children > kMaxRecordMembers - 2;
    if (pedigree.has_cycle) {
      cyclomatic += int64_t{pedigree.entries} - pedigree.rows - pedigree.families + 1;
    }
  }
  if (std::find(to_cut.begin(), to_cut.end(), 1) == to_cut.end()) return pedigrees;

  // Room for many copies at once (reserve_copies took it already unless herd copies
  // filled it). Growing the table as they come would hold it twice over for a moment.
  if (cyclomatic > animals.count() / 64) reserve(animals, cyclomatic);
  const std::vector<uint8_t> cycles = members_of(pedigrees, with_cycle);
  const std::vector<uint8_t> cut_for_size = members_of(pedigrees, to_cut);
  CopyTally tally(pedigrees, summary);
  if (large_families) tally.count(animals, split_large_families(animals), false);
  std::vector<uint8_t> known_taken;  // by piece
  {
    // One graph for the loop cuts and the split: the pedigrees without a cycle in it have
    // no loop to cut.
    FamilyGraph graph = family_graph(animals, cut_for_size);
    if (cyclomatic > 0) tally.count(animals, cut_loops(animals, graph, cycles, true), true);
    if (tally.copies() > 0 || large) {
      // The pedigrees found before are not needed past here but for the tally's count.
      pedigrees = {};
      tally.count(animals, split_large_pedigrees(animals, std::move(graph), limits), false);
      pedigrees = find_pedigrees(animals, report);
      known_taken = pieces_of_split(pedigrees, tally.pedigree_of(), with_cycle);
    } else {
      pedigrees.pedigree_of = tally.pedigree_of();  // every loop kept for pedpeel: no cut
    }
  }
  // The loops kept for pedpeel that it cannot take after all (a mating inside another
  // loop kept): in those pedigrees only the loops pedpeel takes wherever they lie stay, as
  // in a pedigree split for size; a pedigree refused even then is cut into trees.
  std::vector<uint8_t> refused = pedigrees_pedpeel_refuses(animals, pedigrees, known_taken);
  for (const bool keep_some : {true, false}) {
    if (std::find(refused.begin(), refused.end(), 1) == refused.end()) break;
    std::vector<uint8_t> members = members_of(pedigrees, refused);
    if (keep_some) std::replace(members.begin(), members.end(), uint8_t{1}, uint8_t{2});
    FamilyGraph graph = family_graph(animals, members);
    tally.count(animals, cut_loops(animals, graph, members, keep_some), true);
    tally.count(animals, split_large_pedigrees(animals, std::move(graph), limits), false);
    // Only the pieces of the pedigrees just cut are to be looked at again.
    const std::vector<int32_t> pedigree_before = std::move(pedigrees.pedigree_of);
    for (uint8_t& mark : refused) mark = mark == 0 ? 2 : 0;
    pedigrees = find_pedigrees(animals, report);
    if (keep_some) {
      refused = pedigrees_pedpeel_refuses(animals, pedigrees,
                                          pieces_of_split(pedigrees, pedigree_before, refused));
    }
  }
  tally.finish();
  summary.animals_copied = distinct_originals(animals);
  return pedigrees;
}

std::string cuts_file(const Animals& animals, const CutSummary& summary) {
  std::string text = "family\tfirst_id\tanimals\tfamilies\tcyclomatic\tloop_copies\tsize_copies\n";
  for (const CutPedigree& cut : summary.pedigrees) {
    const Animal& first = animals.list[static_cast<size_t>(cut.named_by)];
    text += std::string(animals.family(first)) + "\t" + std::string(animals.original(first)) +
            "\t" + std::to_string(cut.rows) + "\t" + std::to_string(cut.families) + "\t" +
            std::to_string(cut.cyclomatic) + "\t" + std::to_string(cut.loop_copies) + "\t" +
            std::to_string(cut.size_copies) + "\n";
  }
  return text;
}

}  // namespace pedpeel::pedprep
