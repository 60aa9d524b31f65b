#include "html/string_automaton.h"

#include <algorithm>

namespace corvane::html {

// The strings taken in sorted order share their prefix with the one before,
// and a state's new child always comes after its others: the trie grows
// along one path, with no look-up of children, and its edge lists come out
// sorted.
void StringAutomaton::BuildTrie() {
  std::sort(pending_.begin(), pending_.end());
  std::vector<std::vector<Edge>> children(1);
  std::vector<State> path{kRoot};  // path[d]: the state of the previous string's first d bytes
  std::string_view previous;
  for (const auto& [s, id] : pending_) {
    std::size_t common = 0;
    while (common < s.size() && common < previous.size() && s[common] == previous[common]) ++common;
    path.resize(common + 1);
    for (std::size_t d = common; d < s.size(); ++d) {
      const auto next = static_cast<State>(nodes_.size());
      nodes_.push_back(Node{});
      nodes_.back().depth = static_cast<uint32_t>(d + 1);
      children.emplace_back();
      children[path.back()].push_back({static_cast<uint8_t>(s[d]), next});
      if (path.back() == kRoot) root_children_[static_cast<uint8_t>(s[d])] = next;
      path.push_back(next);
    }
    nodes_[path.back()].id = id;
    previous = s;
  }
  for (std::size_t state = 0; state < children.size(); ++state) {
    nodes_[state].first_edge = static_cast<uint32_t>(edges_.size());
    nodes_[state].edge_count = static_cast<uint32_t>(children[state].size());
    edges_.insert(edges_.end(), children[state].begin(), children[state].end());
  }
  std::vector<std::pair<std::string_view, uint32_t>>().swap(pending_);
}

void StringAutomaton::Build() {
  BuildTrie();
  // Failure links breadth first: a state's link lies at a smaller depth.
  std::vector<State> queue{kRoot};
  queue.reserve(nodes_.size());
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const State u = queue[head];
    const uint32_t first = nodes_[u].first_edge;
    for (uint32_t e = first; e < first + nodes_[u].edge_count; ++e) {
      const auto [c, v] = edges_[e];
      State target = -1;
      for (State f = u; target < 0 && f != kRoot;) {
        f = nodes_[f].fail;
        target = Child(f, c);
      }
      nodes_[v].fail = target < 0 ? kRoot : target;
      const Node& fail = nodes_[nodes_[v].fail];
      nodes_[v].dict_link = fail.id >= 0 ? nodes_[v].fail : fail.dict_link;
      queue.push_back(v);
    }
  }
}

}  // namespace corvane::html
