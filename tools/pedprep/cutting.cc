#include "tools/pedprep/cutting.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
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

}  // namespace

void copy_parents_across_families(Animals& animals, CutSummary& summary) {
  // The copy of each parent in a family, by the parent and the family's name.
  struct Key {
    int32_t parent;
    std::string_view family;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const {
      return std::hash<std::string_view>()(key.family) * 31 + static_cast<size_t>(key.parent);
    }
  };
  std::unordered_map<Key, int32_t, KeyHash> copies;
  const int32_t count = animals.count();
  for (int32_t a = 0; a < count; ++a) {
    for (const bool sire : {true, false}) {
      const Animal& child = animals.list[static_cast<size_t>(a)];
      const int32_t parent = sire ? child.sire : child.dam;
      if (parent < 0 || animals.list[static_cast<size_t>(parent)].family == child.family) continue;
      const Key key{parent, child.family};
      auto found = copies.find(key);
      if (found == copies.end()) {
        const int32_t copy = add_copy(animals, parent);
        animals.list[static_cast<size_t>(copy)].family = key.family;
        found = copies.emplace(key, copy).first;
        ++summary.herd_copies;
      }
      Animal& relinked = animals.list[static_cast<size_t>(a)];
      (sire ? relinked.sire : relinked.dam) = found->second;
    }
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

  // Room for many copies at once: for loops at most the cyclomatic numbers, and some for
  // size. Growing the table as they come would hold it twice over for a moment.
  if (cyclomatic > animals.count() / 64) {
    const int64_t room = animals.count() / 64 + 1024 + cyclomatic;
    animals.list.reserve(static_cast<size_t>(animals.count() + room));
    animals.copy_of.reserve(animals.copy_of.size() + static_cast<size_t>(room));
  }
  const std::vector<uint8_t> cycles = members_of(pedigrees, with_cycle);
  const std::vector<uint8_t> cut_for_size = members_of(pedigrees, to_cut);
  CopyTally tally(pedigrees, summary);
  if (large_families) tally.count(animals, split_large_families(animals), false);
  if (cyclomatic > 0) tally.count(animals, cut_loops(animals, cycles, true), true);
  std::vector<uint8_t> known_taken;  // by piece
  if (tally.copies() > 0 || large) {
    // The pedigrees found before are not needed past here but for the tally's count.
    pedigrees = {};
    tally.count(animals, split_large_pedigrees(animals, cut_for_size, limits), false);
    pedigrees = find_pedigrees(animals, report);
    known_taken = pieces_of_split(pedigrees, tally.pedigree_of(), with_cycle);
  } else {
    pedigrees.pedigree_of = tally.pedigree_of();  // every loop kept for pedpeel: no cut
  }
  // The loops kept for pedpeel that it cannot take after all (a mating inside another
  // loop kept): those pedigrees are cut into trees.
  const std::vector<uint8_t> refused = pedigrees_pedpeel_refuses(animals, pedigrees, known_taken);
  if (std::find(refused.begin(), refused.end(), 1) != refused.end()) {
    const std::vector<uint8_t> members = members_of(pedigrees, refused);
    tally.count(animals, cut_loops(animals, members, false), true);
    tally.count(animals, split_large_pedigrees(animals, members, limits), false);
    pedigrees = find_pedigrees(animals, report);
  }
  tally.finish();
  summary.animals_copied = distinct_originals(animals);
  return pedigrees;
}

std::string cuts_file(const Animals& animals, const CutSummary& summary) {
  std::string text = "family\tfirst_id\tanimals\tfamilies\tcyclomatic\tloop_copies\tsize_copies\n";
  for (const CutPedigree& cut : summary.pedigrees) {
    const Animal& first = animals.list[static_cast<size_t>(cut.named_by)];
    text += std::string(first.family) + "\t" + std::string(first.original) + "\t" +
            std::to_string(cut.rows) + "\t" + std::to_string(cut.families) + "\t" +
            std::to_string(cut.cyclomatic) + "\t" + std::to_string(cut.loop_copies) + "\t" +
            std::to_string(cut.size_copies) + "\n";
  }
  return text;
}

}  // namespace pedpeel::pedprep
