#include "html/string_automaton.h"

#include <deque>

namespace corvane::html {

StringAutomaton::State StringAutomaton::Child(State state, uint8_t byte) const {
  if (state == kRoot) return root_children_[byte] == 0 ? -1 : root_children_[byte];
  const auto it = children_.find(Key(state, byte));
  return it == children_.end() ? -1 : it->second;
}

void StringAutomaton::Add(std::string_view s, uint32_t id) {
  State state = kRoot;
  for (unsigned char c : s) {
    State next = Child(state, c);
    if (next < 0) {
      next = static_cast<State>(nodes_.size());
      nodes_.push_back(Node{});
      nodes_.back().depth = nodes_[state].depth + 1;
      edges_.emplace_back();
      edges_[state].emplace_back(c, next);
      if (state == kRoot) {
        root_children_[c] = next;
      } else {
        children_[Key(state, c)] = next;
      }
    }
    state = next;
  }
  nodes_[state].id = id;
}

void StringAutomaton::Build() {
  std::deque<State> queue;
  for (const auto& [c, child] : edges_[kRoot]) {
    nodes_[child].fail = kRoot;
    queue.push_back(child);
  }
  while (!queue.empty()) {
    const State u = queue.front();
    queue.pop_front();
    for (const auto& [c, v] : edges_[u]) {
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
  edges_.clear();
  edges_.shrink_to_fit();
}

StringAutomaton::State StringAutomaton::Next(State state, uint8_t byte) const {
  for (;;) {
    const State child = Child(state, byte);
    if (child >= 0) return child;
    if (state == kRoot) return kRoot;
    state = nodes_[state].fail;
  }
}

}  // namespace corvane::html
