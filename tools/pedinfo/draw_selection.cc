#include "tools/pedinfo/draw_selection.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <unordered_map>

namespace pedpeel::pedinfo {

namespace {

// Adds individuals until the limit, and counts the ones refused by relation (each once).
class Selector {
 public:
  Selector(const Families& families, int limit) : families_(families), limit_(limit) {
    selection_.families.assign(static_cast<size_t>(families.NFAM) + 1, false);
  }

  /// Adds `id` unless it is there or the limit is reached; whether it is drawn.
  bool add(int16_t id, Relation relation) {
    if (selection_.drawn(id)) return true;
    if (!seen_.insert(id).second) return false;
    ++selection_.considered;
    if (static_cast<int64_t>(selection_.individuals.size()) >= limit_) {
      ++selection_.left_out[static_cast<int>(relation)];
      return false;
    }
    selection_.individuals.insert(id);
    return true;
  }

  /// Adds the members of `group` not seen yet all together, or, when they do not all fit
  /// under the limit or the group hangs on an individual not drawn (`anchor`), none of
  /// them: a family is drawn whole or not at all, and never apart from the drawing.
  void add_group(const std::vector<std::pair<int16_t, Relation>>& group,
                 std::optional<int16_t> anchor = std::nullopt) {
    std::vector<std::pair<int16_t, Relation>> fresh;
    for (const auto& entry : group) {
      // A named member rather than a structured binding: clang 14 cannot capture one.
      const int16_t id = entry.first;
      if (!seen_.count(id) && std::find_if(fresh.begin(), fresh.end(), [&](const auto& member) {
                                return member.first == id;
                              }) == fresh.end()) {
        fresh.push_back(entry);
      }
    }
    const bool fits = (!anchor || selection_.drawn(*anchor)) &&
                      static_cast<int64_t>(selection_.individuals.size() + fresh.size()) <= limit_;
    for (const auto& [id, relation] : fresh) {
      seen_.insert(id);
      ++selection_.considered;
      if (fits) {
        selection_.individuals.insert(id);
      } else {
        ++selection_.left_out[static_cast<int>(relation)];
      }
    }
  }

  /// Every family with two members drawn is drawn; those of `candidates` are looked at.
  DrawSelection finish(const std::vector<int32_t>& candidates) {
    for (int32_t f : candidates) {
      int drawn = 0;
      const auto members = families_.members(f);
      for (size_t k = 0; k < members.size(); ++k) {
        // A family of one parent names it twice.
        if (k == 1 && members[1] == members[0]) continue;
        drawn += selection_.drawn(members[k]) ? 1 : 0;
      }
      if (drawn >= 2) selection_.families[static_cast<size_t>(f)] = true;
    }
    return std::move(selection_);
  }

 private:
  const Families& families_;
  int64_t limit_;
  DrawSelection selection_;
  std::unordered_set<int16_t> seen_;  // added or refused
};

// For each ID: the family where it is a child (its first), and the families where it is
// a parent.
struct FamilyIndex {
  std::unordered_map<int16_t, int32_t> child_in;
  std::unordered_map<int16_t, std::vector<int32_t>> parent_in;

  explicit FamilyIndex(const Families& families) {
    for (int32_t f = 1; f <= families.NFAM; ++f) {
      for (int16_t child : families.children(f)) child_in.emplace(child, f);
      parent_in[families.first_parent(f)].push_back(f);
      if (families.second_parent(f) != families.first_parent(f)) {
        parent_in[families.second_parent(f)].push_back(f);
      }
    }
  }
};

const char* const kRelationNames[][2] = {{"ancestor", "ancestors"},
                                         {"descendant", "descendants"},
                                         {"mate", "mates"},
                                         {"copy", "copies"},
                                         {"member of the loop", "members of the loop"},
                                         {"child", "children"},
                                         {"other animal", "other animals"}};

}  // namespace

int64_t DrawSelection::left_out_total() const {
  int64_t total = 0;
  for (int64_t count : left_out) total += count;
  return total;
}

std::string DrawSelection::left_out_text() const {
  std::vector<std::string> parts;
  for (int r = 0; r < static_cast<int>(Relation::kCount); ++r) {
    if (left_out[r] == 0) continue;
    parts.push_back(std::to_string(left_out[r]) + " " +
                    kRelationNames[r][left_out[r] == 1 ? 0 : 1]);
  }
  std::string text;
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k != 0) text += k + 1 == parts.size() ? " and " : ", ";
    text += parts[k];
  }
  return text;
}

DrawSelection select_whole(const Families& families, std::span<const int16_t> ids, int limit) {
  Selector selector(families, limit);
  std::vector<int32_t> all;
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    all.push_back(f);
    for (int16_t member : families.members(f)) selector.add(member, Relation::kOther);
  }
  for (int16_t id : ids) selector.add(id, Relation::kOther);
  return selector.finish(all);
}

DrawSelection select_around(const Families& families, std::span<const int16_t> centres,
                            int generations, int limit) {
  const FamilyIndex index(families);
  Selector selector(families, limit);
  std::vector<int32_t> reached;
  // Breadth first, the nearest generation first: going up from an ancestor, down from a
  // descendant, both ways from a centre.
  struct Step {
    int16_t id;
    int generation;
    bool up;
    bool down;
  };
  std::deque<Step> queue;
  std::unordered_set<int16_t> expanded;
  for (int16_t centre : centres) queue.push_back({centre, 0, true, true});
  while (!queue.empty()) {
    const Step step = queue.front();
    queue.pop_front();
    if (step.generation == 0) {
      selector.add(step.id, step.id == centres.front() ? Relation::kOther : Relation::kCopy);
    }
    if (step.generation == generations || !expanded.insert(step.id).second) continue;
    if (step.up) {
      const auto parents = index.child_in.find(step.id);
      if (parents != index.child_in.end()) {
        const int32_t f = parents->second;
        reached.push_back(f);
        std::vector<std::pair<int16_t, Relation>> parents;
        for (int16_t parent : {families.first_parent(f), families.second_parent(f)}) {
          if (parent == 0) continue;
          parents.emplace_back(parent, Relation::kAncestor);
          queue.push_back({parent, step.generation + 1, true, false});
        }
        selector.add_group(parents, step.id);
      }
    }
    if (!step.down) continue;
    const auto matings = index.parent_in.find(step.id);
    if (matings == index.parent_in.end()) continue;
    for (int32_t f : matings->second) {
      reached.push_back(f);
      const int16_t mate = families.first_parent(f) == step.id ? families.second_parent(f)
                                                               : families.first_parent(f);
      std::vector<std::pair<int16_t, Relation>> members;
      if (mate != 0) members.emplace_back(mate, Relation::kMate);
      for (int16_t child : families.children(f)) {
        members.emplace_back(child, Relation::kDescendant);
        queue.push_back({child, step.generation + 1, false, true});
      }
      selector.add_group(members, step.id);
    }
  }
  return selector.finish(reached);
}

DrawSelection select_loop(const Families& families, std::span<const int32_t> left,
                          std::span<const LoopNode> loop, int limit) {
  Selector selector(families, limit);
  // The families left that each individual belongs to, as parent or child.
  std::unordered_map<int16_t, std::vector<int32_t>> left_of;
  for (int32_t f : left) {
    for (int16_t member : families.members(f)) {
      std::vector<int32_t>& list = left_of[member];
      if (list.empty() || list.back() != f) list.push_back(f);
    }
  }
  std::vector<int32_t> reached;
  std::deque<int16_t> queue;
  for (const LoopNode& node : loop) {
    if (node.is_family) continue;
    selector.add(static_cast<int16_t>(node.value), Relation::kLoop);
    queue.push_back(static_cast<int16_t>(node.value));
  }
  // Then outward from the loop, family by family: each family left whole, nearest first.
  std::unordered_set<int32_t> visited;
  auto visit = [&](int32_t f, std::optional<int16_t> anchor) {
    if (!visited.insert(f).second) return;
    reached.push_back(f);
    std::vector<std::pair<int16_t, Relation>> members;
    for (int16_t member : families.members(f)) {
      if (member == 0) continue;
      members.emplace_back(member, Relation::kOther);
      queue.push_back(member);
    }
    selector.add_group(members, anchor);
  };
  for (const LoopNode& node : loop) {
    if (node.is_family) visit(node.value, std::nullopt);
  }
  std::unordered_set<int16_t> expanded;
  while (!queue.empty()) {
    const int16_t id = queue.front();
    queue.pop_front();
    if (!expanded.insert(id).second) continue;
    const auto found = left_of.find(id);
    if (found == left_of.end()) continue;
    for (int32_t f : found->second) visit(f, id);
  }
  // Families left that the loop does not reach.
  for (int32_t f : left) visit(f, std::nullopt);
  return selector.finish(reached);
}

}  // namespace pedpeel::pedinfo
