#include "tools/pedinfo/shortest_loop.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <utility>

#include "pedigree/id_table.h"

namespace pedpeel::pedinfo {

namespace {

// The bipartite graph: nodes 0..F-1 are the families, F.. the individuals. The
// neighbours of node u are neighbour[start[u] .. start[u + 1]): a family's members in list
// order, an individual's families in family order.
struct Graph {
  std::vector<LoopNode> nodes;
  std::vector<int32_t> start;
  std::vector<int32_t> neighbour;
  int32_t first_individual = 0;

  std::span<const int32_t> adjacent(int32_t u) const {
    return {neighbour.data() + start[u], static_cast<size_t>(start[u + 1] - start[u])};
  }
};

Graph build_graph(const Families& families, std::span<const int32_t> left) {
  Graph graph;
  const int32_t F = static_cast<int32_t>(left.size());
  for (int32_t f : left) graph.nodes.push_back({true, f});
  graph.first_individual = F;
  // Each (family, member) edge once: an ID twice in one list (a parent that is its own
  // child) is one edge.
  std::vector<std::pair<int32_t, int32_t>> edges;  // (family node, individual node)
  IdTable<int32_t> node_of_id(-1);                 // an individual's node
  for (int32_t k = 0; k < F; ++k) {
    const size_t first_edge = edges.size();
    for (int16_t id : families.members(left[k])) {
      int32_t& node = node_of_id.at(id);
      if (node < 0) {
        node = static_cast<int32_t>(graph.nodes.size());
        graph.nodes.push_back({false, id});
      }
      bool twice = false;
      for (size_t e = first_edge; e < edges.size() && !twice; ++e) twice = edges[e].second == node;
      if (!twice) edges.emplace_back(k, node);
    }
  }
  const size_t n = graph.nodes.size();
  graph.start.assign(n + 1, 0);
  for (const auto& [family, individual] : edges) {
    ++graph.start[family + 1];
    ++graph.start[individual + 1];
  }
  for (size_t u = 0; u < n; ++u) graph.start[u + 1] += graph.start[u];
  graph.neighbour.resize(2 * edges.size());
  std::vector<int32_t> fill(graph.start.begin(), graph.start.end() - 1);
  for (const auto& [family, individual] : edges) {
    graph.neighbour[fill[family]++] = individual;
    graph.neighbour[fill[individual]++] = family;
  }
  return graph;
}

// The best cycle found from one start: its length and the non-tree edge that closes it.
struct Closing {
  int32_t length = 0;  // 0: none
  int32_t u = -1;
  int32_t v = -1;
};

// Breadth-first search from `start` through the 2-core; the shortest cycle closed by a
// non-tree edge, not looking further than cycles shorter than `limit`. `dist` and `parent` are -1
// for every node the search did not reach; `reached` lists those it reached in the search before,
// which it sets back to -1 first, so a search costs what it reaches.
Closing search_from(const Graph& graph, std::span<const uint8_t> in_core, int32_t start,
                    int32_t limit, std::vector<int32_t>& dist, std::vector<int32_t>& parent,
                    std::vector<int32_t>& reached) {
  for (int32_t node : reached) dist[node] = parent[node] = -1;
  reached.assign(1, start);
  Closing best;
  dist[start] = 0;
  for (size_t next = 0; next < reached.size(); ++next) {
    const int32_t u = reached[next];
    if (2 * dist[u] + 1 >= limit) break;  // every cycle closed from here is no shorter
    for (int32_t v : graph.adjacent(u)) {
      // Nodes outside the 2-core hang off it in trees: they close no cycle, and the order
      // in which the search meets the others is the same without them.
      if (!in_core[v]) continue;
      if (dist[v] < 0) {
        dist[v] = dist[u] + 1;
        parent[v] = u;
        reached.push_back(v);
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

constexpr int32_t kNone = std::numeric_limits<int32_t>::max();

// The graph with its chains contracted, for the length of a shortest cycle without a
// search from every node. Only the 2-core (what is left after taking away every node of at
// most one edge, again and again) can hold a cycle. In it, a branch node has three edges or
// more; every other node lies on a chain between two branch nodes (the same one for a chain
// that comes back), which becomes one edge weighted by its length; a component without a
// branch node is a cycle by itself. Every cycle of a component with a branch node passes
// through one.
class ContractedGraph {
 public:
  explicit ContractedGraph(const Graph& graph) : graph_(graph) {
    const size_t n = graph.nodes.size();
    find_core();
    edge_of_.assign(n, -1);
    cycle_of_.assign(n, -1);
    for (int32_t u = 0; u < static_cast<int32_t>(n); ++u) {
      if (branch(u)) contract_chains_from(u);
    }
    for (int32_t u = 0; u < static_cast<int32_t>(n); ++u) {
      if (in_core_[u] && !branch(u) && edge_of_[u] < 0 && cycle_of_[u] < 0) add_pure_cycle(u);
    }
    distance_.assign(n, kNone);
    label_.assign(n, -1);
  }

  bool in_core(int32_t u) const { return in_core_[u] != 0; }
  /// By node: 1 for the nodes of the 2-core.
  std::span<const uint8_t> core() const { return in_core_; }
  /// The chain (contracted edge) an inner chain node lies on, -1 for any other node.
  int32_t chain_of(int32_t u) const { return edge_of_[u]; }
  /// The length of the cycle that is u's whole component, -1 when u's is no such component.
  int32_t pure_cycle_length(int32_t u) const {
    return cycle_of_[u] < 0 ? -1 : cycle_length_[cycle_of_[u]];
  }
  int32_t chains() const { return static_cast<int32_t>(edges_.size()); }

  /// The length of a shortest cycle of the graph, kNone when it has none: the shortest
  /// cycle through each branch node in turn, each search cut at half the best so far.
  int32_t girth() {
    int32_t best = kNone;
    for (int32_t length : cycle_length_) best = std::min(best, length);
    build_links();
    for (int32_t b = 0; b < static_cast<int32_t>(graph_.nodes.size()) && best > 4; ++b) {
      // Individual, family, individual, family: no cycle is shorter than 4.
      if (!branch(b)) continue;
      best = std::min(best, shortest_cycle_through(b, best));
      // Every cycle through b is measured: the searches after it may leave b out.
      done_[b] = 1;
    }
    return best;
  }

 private:
  struct Edge {
    int32_t a;
    int32_t b;
    int32_t weight;
  };

  bool branch(int32_t u) const { return in_core_[u] && core_degree_[u] >= 3; }

  void find_core() {
    const size_t n = graph_.nodes.size();
    in_core_.assign(n, 1);
    core_degree_.resize(n);
    std::vector<int32_t> removed;
    for (size_t u = 0; u < n; ++u) {
      core_degree_[u] = static_cast<int32_t>(graph_.adjacent(static_cast<int32_t>(u)).size());
      if (core_degree_[u] <= 1) {
        in_core_[u] = 0;
        removed.push_back(static_cast<int32_t>(u));
      }
    }
    for (size_t k = 0; k < removed.size(); ++k) {
      for (int32_t v : graph_.adjacent(removed[k])) {
        if (in_core_[v] && --core_degree_[v] <= 1) {
          in_core_[v] = 0;
          removed.push_back(v);
        }
      }
    }
  }

  // The core neighbour of chain node `u` other than `from`.
  int32_t next_on_chain(int32_t u, int32_t from) const {
    for (int32_t v : graph_.adjacent(u)) {
      if (in_core_[v] && v != from) return v;
    }
    return from;  // not reached: a chain node has two core neighbours
  }

  void contract_chains_from(int32_t a) {
    for (int32_t first : graph_.adjacent(a)) {
      if (!in_core_[first]) continue;
      if (branch(first)) {
        // A chain without inner nodes; laid down once, from its lower end.
        if (a < first) add_edge(a, first, 1);
        continue;
      }
      if (edge_of_[first] >= 0) continue;  // laid down from its other end
      const int32_t e = static_cast<int32_t>(edges_.size());
      int32_t previous = a;
      int32_t u = first;
      int32_t weight = 1;
      while (!branch(u)) {
        edge_of_[u] = e;
        const int32_t next = next_on_chain(u, previous);
        previous = u;
        u = next;
        ++weight;
      }
      add_edge(a, u, weight);
    }
  }

  void add_edge(int32_t a, int32_t b, int32_t weight) { edges_.push_back({a, b, weight}); }

  void add_pure_cycle(int32_t start) {
    const int32_t c = static_cast<int32_t>(cycle_length_.size());
    int32_t length = 0;
    int32_t previous = -1;
    int32_t u = start;
    do {
      cycle_of_[u] = c;
      ++length;
      const int32_t next = next_on_chain(u, previous);
      previous = u;
      u = next;
    } while (u != start);
    cycle_length_.push_back(length);
  }

  // The edges of every branch node as one array: (other end, weight, edge) of node u at
  // links_[link_start_[u] .. link_start_[u + 1]), in the order the edges were laid down. A
  // chain that comes back to its branch node is one link of that node.
  struct Link {
    int32_t node;
    int32_t weight;
    int32_t edge;
  };

  void build_links() {
    const size_t n = graph_.nodes.size();
    link_start_.assign(n + 1, 0);
    for (const Edge& edge : edges_) {
      ++link_start_[edge.a + 1];
      if (edge.b != edge.a) ++link_start_[edge.b + 1];
    }
    for (size_t u = 0; u < n; ++u) link_start_[u + 1] += link_start_[u];
    links_.resize(static_cast<size_t>(link_start_[n]));
    std::vector<int32_t> fill(link_start_.begin(), link_start_.end() - 1);
    for (int32_t e = 0; e < static_cast<int32_t>(edges_.size()); ++e) {
      const Edge& edge = edges_[e];
      links_[fill[edge.a]++] = {edge.b, edge.weight, e};
      if (edge.b != edge.a) links_[fill[edge.b]++] = {edge.a, edge.weight, e};
    }
    done_.assign(n, 0);
  }

  // The length of a shortest cycle through branch node b that avoids the nodes searched
  // from before, when it is below `limit`, else kNone. Dijkstra's search from b (with a
  // queue of buckets by distance: weights are small integers) labels every node with the
  // edge of b its shortest path leaves by; an edge between two nodes of different labels
  // (or back to b by another edge) closes a cycle through b. A cycle of length L closes at
  // nodes no farther than L / 2, so the search stops there.
  int32_t shortest_cycle_through(int32_t b, int32_t limit) {
    touched_.clear();
    distance_[b] = 0;
    touched_.push_back(b);
    if (buckets_.empty()) buckets_.resize(1);
    buckets_[0].push_back(b);
    int32_t best = kNone;
    size_t last_bucket = 0;  // buckets 0..last_bucket may hold nodes
    for (size_t d = 0; d <= last_bucket; ++d) {
      if (2 * int64_t(d) >= std::min(limit, best)) break;
      // The bucket may grow while it is walked: a chain of weight 0 does not exist.
      for (size_t k = 0; k < buckets_[d].size(); ++k) {
        const int32_t u = buckets_[d][k];
        if (static_cast<size_t>(distance_[u]) != d) continue;  // reached sooner since
        const int32_t branch_of_u = label_[u];
        for (int32_t j = link_start_[u]; j < link_start_[u + 1]; ++j) {
          const Link& link = links_[j];
          const int32_t v = link.node;
          if (done_[v]) continue;
          const int32_t branch = u == b ? link.edge : branch_of_u;
          int64_t closing = kNone;
          if (v == b) {
            // Back to b: by a chain that comes back, or by another edge than u's first.
            if (u == b || branch != link.edge) closing = int64_t(d) + link.weight;
          } else if (distance_[v] != kNone && label_[v] != branch) {
            closing = int64_t(d) + link.weight + distance_[v];
          }
          if (closing < best) best = static_cast<int32_t>(closing);
          const int64_t next = int64_t(d) + link.weight;
          if (v == b || next >= distance_[v] || 2 * next >= std::min(limit, best)) continue;
          if (distance_[v] == kNone) touched_.push_back(v);
          distance_[v] = static_cast<int32_t>(next);
          label_[v] = branch;
          if (buckets_.size() <= static_cast<size_t>(next)) buckets_.resize(next + 1);
          buckets_[next].push_back(v);
          last_bucket = std::max(last_bucket, static_cast<size_t>(next));
        }
      }
    }
    for (size_t d = 0; d <= last_bucket; ++d) buckets_[d].clear();
    for (int32_t u : touched_) {
      distance_[u] = kNone;
      label_[u] = -1;
    }
    return best < limit ? best : kNone;
  }

  const Graph& graph_;
  std::vector<uint8_t> in_core_;      // by node
  std::vector<int32_t> core_degree_;  // by node: its edges inside the core
  std::vector<int32_t> edge_of_;      // by inner node of a chain: its edge
  std::vector<int32_t> cycle_of_;     // by node of a component that is a cycle: its cycle
  std::vector<Edge> edges_;
  std::vector<int32_t> cycle_length_;  // by cycle component
  std::vector<int32_t> distance_;      // by node: kNone outside a search
  std::vector<int32_t> label_;         // by node: the edge of the search's start it is reached by
  std::vector<int32_t> touched_;
  std::vector<int32_t> link_start_;  // by node
  std::vector<Link> links_;
  std::vector<uint8_t> done_;                  // by node: searched from already
  std::vector<std::vector<int32_t>> buckets_;  // by distance: nodes reached at it
};

}  // namespace

std::vector<LoopNode> shortest_loop(const Families& families, std::span<const int32_t> left) {
  const Graph graph = build_graph(families, left);
  const int32_t n = static_cast<int32_t>(graph.nodes.size());
  ContractedGraph contracted(graph);
  const int32_t girth = contracted.girth();
  if (girth == kNone) return {};
  // A search from an individual on a shortest cycle finds one exactly, its two tree paths
  // meeting only at the start, and a search from any other node finds none that short: the
  // loop is the one the search from the first such individual (families in order, members
  // in list order) finds first. Each search is cut at half the girth; the inner nodes of a
  // chain lie on the same cycles, so one search answers for the whole chain.
  std::vector<int32_t> dist(static_cast<size_t>(n), -1);
  std::vector<int32_t> parent(static_cast<size_t>(n), -1);
  std::vector<int32_t> reached;
  std::vector<int8_t> chain_on_shortest(static_cast<size_t>(contracted.chains()), -1);
  for (int32_t start = graph.first_individual; start < n; ++start) {
    if (!contracted.in_core(start)) continue;
    const int32_t cycle = contracted.pure_cycle_length(start);
    if (cycle >= 0 && cycle != girth) continue;
    const int32_t chain = contracted.chain_of(start);
    if (chain >= 0 && chain_on_shortest[chain] == 0) continue;
    const Closing closing =
        search_from(graph, contracted.core(), start, girth + 1, dist, parent, reached);
    if (chain >= 0) chain_on_shortest[chain] = closing.length == girth ? 1 : 0;
    if (closing.length != girth) continue;
    std::vector<int32_t> path;
    for (int32_t node = closing.u; node != -1; node = parent[node]) path.push_back(node);
    std::reverse(path.begin(), path.end());  // start .. u
    for (int32_t node = closing.v; node != start; node = parent[node]) path.push_back(node);
    std::vector<LoopNode> loop;
    for (int32_t node : path) loop.push_back(graph.nodes[node]);
    return loop;
  }
  return {};
}

}  // namespace pedpeel::pedinfo
