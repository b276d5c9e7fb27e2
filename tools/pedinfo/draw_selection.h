// The part of a pedigree that pedinfo draw shows. A drawing stays readable only while it
// holds a few hundred nodes, so every selection stops at a limit of individuals, adding
// the nearest first, and counts what the limit left out.
#ifndef PEDPEEL_TOOLS_PEDINFO_DRAW_SELECTION_H_
#define PEDPEEL_TOOLS_PEDINFO_DRAW_SELECTION_H_

#include <cstdint>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "pedigree/families.h"
#include "tools/pedinfo/shortest_loop.h"

namespace pedpeel::pedinfo {

// The individuals drawn at most, unless --limit says otherwise.
inline constexpr int kDefaultDrawLimit = 150;
// The generations drawn around an animal, unless --generations says otherwise.
inline constexpr int kDefaultGenerations = 2;

// How an individual left out by the limit is related to what was asked for.
enum class Relation { kAncestor, kDescendant, kMate, kCopy, kLoop, kChild, kOther, kCount };

struct DrawSelection {
  std::unordered_set<int16_t> individuals;                    // IDs drawn
  std::vector<bool> families;                                 // by family number: drawn
  int64_t considered = 0;                                     // individuals the request reaches
  int64_t left_out[static_cast<int>(Relation::kCount)] = {};  // by relation

  bool drawn(int16_t id) const { return individuals.count(id) != 0; }
  int64_t left_out_total() const;
  /// "12 descendants and 3 mates", or "" when nothing was left out.
  std::string left_out_text() const;
};

/// The whole pedigree; past `limit` individuals, its families in order with their members.
/// `ids` are the IDs of the pedigree's rows.
DrawSelection select_whole(const Families& families, std::span<const int16_t> ids, int limit);

/// `centres` (one animal: its row first, then the copies pedprep made of it), their
/// ancestors and descendants to `generations`, the mates of the centres and descendants,
/// and the families that join them. Each centre comes with its own families before the
/// next: the row first, then as many copies as the limit leaves room for.
DrawSelection select_around(const Families& families, std::span<const int16_t> centres,
                            int generations, int limit);

/// The families left (neither pass takes them) and the loop through them: first the loop,
/// then each family left with its parents and children.
DrawSelection select_loop(const Families& families, std::span<const int32_t> left,
                          std::span<const LoopNode> loop, int limit);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DRAW_SELECTION_H_
