// A multi-string matcher (Aho-Corasick): reports every occurrence of a set of
// strings in one left-to-right pass over a text.
#ifndef CORVANE_HTML_STRING_AUTOMATON_H_
#define CORVANE_HTML_STRING_AUTOMATON_H_

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::html {

class StringAutomaton {
 public:
  using State = int32_t;
  static constexpr State kRoot = 0;

  // Adds a string with the caller's identifier for it. Strings are distinct.
  void Add(std::string_view s, uint32_t id);
  // Call once after the last Add, before matching.
  void Build();

  State Next(State state, uint8_t byte) const;

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
  };

  State Child(State state, uint8_t byte) const;
  static uint64_t Key(State state, uint8_t byte) { return (uint64_t(state) << 8) | byte; }

  std::vector<Node> nodes_{Node{}};
  std::unordered_map<uint64_t, State> children_;
  std::array<State, 256> root_children_{};  // 0 = none (the root is never a child)
  std::vector<std::vector<std::pair<uint8_t, State>>> edges_{{}};
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_STRING_AUTOMATON_H_
