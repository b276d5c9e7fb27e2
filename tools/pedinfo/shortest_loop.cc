#include "tools/pedinfo/shortest_loop.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace pedpeel::pedinfo {

namespace {

// The bipartite graph: nodes 0..F-1 are the families, F.. the individuals.
struct Graph {
  std::vector<LoopNode> nodes;
  std::vector<std::vector<int32_t>> adjacent;
  int32_t first_individual = 0;
};

Graph build_graph(const Families& families, std::span<const int32_t> left) {
  Graph graph;
  for (int32_t f : left) graph.nodes.push_back({true, f});
  graph.adjacent.resize(left.size());
  graph.first_individual = static_cast<int32_t>(left.size());
  std::unordered_map<int16_t, int32_t> node_of_id;
  for (size_t k = 0; k < left.size(); ++k) {
    const int32_t family_node = static_cast<int32_t>(k);
    for (int16_t id : families.members(left[k])) {
      auto [it, added] = node_of_id.emplace(id, static_cast<int32_t>(graph.nodes.size()));
      if (added) {
        graph.nodes.push_back({false, id});
        graph.adjacent.emplace_back();
      }
      std::vector<int32_t>& members = graph.adjacent[family_node];
      // An ID twice in one list (a parent that is its own child) is one edge.
      if (std::find(members.begin(), members.end(), it->second) != members.end()) continue;
      members.push_back(it->second);
      graph.adjacent[it->second].push_back(family_node);
    }
  }
  return graph;
}

// The best cycle found from one start: its length and the non-tree edge that closes it.
struct Closing {
  int32_t length = 0;  // 0: none
  int32_t u = -1;
  int32_t v = -1;
};

// Breadth-first search from `start`; the shortest cycle closed by a non-tree edge, not
// looking further than cycles shorter than `limit`.
Closing search_from(const Graph& graph, int32_t start, int32_t limit, std::vector<int32_t>& dist,
                    std::vector<int32_t>& parent) {
  std::fill(dist.begin(), dist.end(), -1);
  std::fill(parent.begin(), parent.end(), -1);
  Closing best;
  std::deque<int32_t> queue{start};
  dist[start] = 0;
  while (!queue.empty()) {
    const int32_t u = queue.front();
    queue.pop_front();
    if (2 * dist[u] + 1 >= limit) break;  // every cycle closed from here is no shorter
    for (int32_t v : graph.adjacent[u]) {
      if (dist[v] < 0) {
        dist[v] = dist[u] + 1;
        parent[v] = u;
        queue.push_back(v);
      } else if (v != parent[u] && parent[v] != u) {
        const int32_t length = dist[u] + dist[v] + 1;
        if (length < limit) {
          limit = length;
          best = {length, u, v};
        }
      }
    }
  }
  return best;
}

}  // namespace

std::vector<LoopNode> shortest_loop(const Families& families, std::span<const int32_t> left) {
  const Graph graph = build_graph(families, left);
  const int32_t n = static_cast<int32_t>(graph.nodes.size());
  std::vector<int32_t> dist(static_cast<size_t>(n));
  std::vector<int32_t> parent(static_cast<size_t>(n));
  constexpr int32_t kShortestPossible = 4;  // individual, family, individual, family
  int32_t best_length = n + 1;
  std::vector<LoopNode> loop;
  // Every shortest cycle passes through an individual, and a search from a node on a
  // shortest cycle finds one exactly; its two tree paths then meet only at the start.
  for (int32_t start = graph.first_individual; start < n; ++start) {
    const Closing closing = search_from(graph, start, best_length, dist, parent);
    if (closing.length == 0) continue;
    std::vector<int32_t> path;
    for (int32_t node = closing.u; node != -1; node = parent[node]) path.push_back(node);
    std::reverse(path.begin(), path.end());  // start .. u
    for (int32_t node = closing.v; node != start; node = parent[node]) path.push_back(node);
    best_length = closing.length;
    loop.clear();
    for (int32_t node : path) loop.push_back(graph.nodes[node]);
    if (best_length == kShortestPossible) break;
  }
  return loop;
}

}  // namespace pedpeel::pedinfo
