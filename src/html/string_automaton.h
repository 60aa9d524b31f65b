// A multi-string matcher (Aho-Corasick): reports every occurrence of a set of
// strings in one left-to-right pass over a text.
//
// Matching takes a transition per text byte, so after Build the children of
// each state lie side by side in one array, sorted by byte: most states have
// one or two, found by a short scan of adjacent memory rather than a hash
// look-up per byte. The root, where matching restarts most often, has a
// table of all 256 bytes.
#ifndef CORVANE_HTML_STRING_AUTOMATON_H_
#define CORVANE_HTML_STRING_AUTOMATON_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::html {

class StringAutomaton {
 public:
  using State = int32_t;
  static constexpr State kRoot = 0;

  // Adds a string with the caller's identifier for it. Strings are distinct,
  // and their bytes must stay valid until Build.
  void Add(std::string_view s, uint32_t id) { pending_.emplace_back(s, id); }
  // Call once after the last Add, before matching.
  void Build();

  State Next(State state, uint8_t byte) const {
    for (;;) {
      const State child = Child(state, byte);
      if (child >= 0) return child;
      if (state == kRoot) return kRoot;
      state = nodes_[state].fail;
    }
  }

  // Calls `report(id, length)` for every string that ends at the position the
  // automaton has just reached in `state`.
  template <typename Report>
  void ForEachMatch(State state, Report&& report) const {
    State s = nodes_[state].id >= 0 ? state : nodes_[state].dict_link;
    while (s >= 0) {
      report(static_cast<uint32_t>(nodes_[s].id), nodes_[s].depth);
      s = nodes_[s].dict_link;
    }
  }

 private:
  struct Node {
    State fail = kRoot;
    State dict_link = -1;  // nearest proper suffix state that ends a string
    int64_t id = -1;
    uint32_t depth = 0;
    uint32_t first_edge = 0;  // after Build: this state's children in edges_
    uint32_t edge_count = 0;
  };
  struct Edge {
    uint8_t byte;
    State target;
  };

  // The child of `state` by `byte`, or -1.
  State Child(State state, uint8_t byte) const {
    if (state == kRoot) return root_children_[byte] == 0 ? -1 : root_children_[byte];
    const Node& node = nodes_[state];
    const Edge* edge = edges_.data() + node.first_edge;
    for (const Edge* end = edge + node.edge_count; edge != end && edge->byte <= byte; ++edge) {
      if (edge->byte == byte) return edge->target;
    }
    return -1;
  }
  void BuildTrie();

  std::vector<Node> nodes_{Node{}};
  std::array<State, 256> root_children_{};  // 0 = none (the root is never a child)
  std::vector<Edge> edges_;                 // after Build
  std::vector<std::pair<std::string_view, uint32_t>> pending_;  // until Build
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_STRING_AUTOMATON_H_
