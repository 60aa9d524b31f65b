#include "html/string_automaton.h"

#include <algorithm>
#include <deque>

namespace corvane::html {
namespace {

uint64_t Key(StringAutomaton::State state, uint8_t byte) { return (uint64_t(state) << 8) | byte; }

}  // namespace

StringAutomaton::State StringAutomaton::ChildWhileAdding(State state, uint8_t byte) const {
  if (state == kRoot) return root_children_[byte] == 0 ? -1 : root_children_[byte];
  const auto it = building_children_.find(Key(state, byte));
  return it == building_children_.end() ? -1 : it->second;
}

void StringAutomaton::Add(std::string_view s, uint32_t id) {
  State state = kRoot;
  for (unsigned char c : s) {
    State next = ChildWhileAdding(state, c);
    if (next < 0) {
      next = static_cast<State>(nodes_.size());
      nodes_.push_back(Node{});
      nodes_.back().depth = nodes_[state].depth + 1;
      building_.emplace_back();
      building_[state].emplace_back(c, next);
      if (state == kRoot) {
        root_children_[c] = next;
      } else {
        building_children_[Key(state, c)] = next;
      }
    }
    state = next;
  }
  nodes_[state].id = id;
}

void StringAutomaton::Build() {
  // The flat edge lists first, so that the failure links below are found
  // with the same look-up that matching uses.
  edges_.clear();
  for (std::size_t s = 0; s < building_.size(); ++s) {
    auto& children = building_[s];
    std::sort(children.begin(), children.end());
    nodes_[s].first_edge = static_cast<uint32_t>(edges_.size());
    nodes_[s].edge_count = static_cast<uint32_t>(children.size());
    for (const auto& [c, child] : children) edges_.push_back({c, child});
  }
  std::unordered_map<uint64_t, State>().swap(building_children_);

  std::deque<State> queue;
  for (const auto& [c, child] : building_[kRoot]) {
    nodes_[child].fail = kRoot;
    queue.push_back(child);
  }
  while (!queue.empty()) {
    const State u = queue.front();
    queue.pop_front();
    for (const auto& [c, v] : building_[u]) {
      State f = nodes_[u].fail;
      State target = Child(f, c);
      while (target < 0 && f != kRoot) {
        f = nodes_[f].fail;
        target = Child(f, c);
      }
      nodes_[v].fail = target < 0 ? kRoot : target;
      const Node& fail = nodes_[nodes_[v].fail];
      nodes_[v].dict_link = fail.id >= 0 ? nodes_[v].fail : fail.dict_link;
      queue.push_back(v);
    }
  }
  std::vector<std::vector<std::pair<uint8_t, State>>>().swap(building_);
}

}  // namespace corvane::html
