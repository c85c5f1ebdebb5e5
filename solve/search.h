// The solver's search, shared by the files that make it up (not for use outside solve/):
// settling a position (settle.cpp), the order in which pairs must go (pair_order.cpp), the
// proof from a small stuck core (stuck_core.cpp) and the search that drives them (solver.cpp).
//
// The search rests on one property of the rules: taking pieces away never makes another
// piece less free. So when two free pieces are to be taken together at some point, they can
// just as well be taken at once; what a solution really chooses is only which pieces of a
// value are partners. The search therefore branches on partners, not on move orders: it
// takes a free piece and either takes it with one of the free pieces of its value, or
// notes that its partner is one of those still blocked (it may not go with any of the free
// ones). Whatever follows for certain is done without branching.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "board/layout.h"
#include "solve/solver.h"

namespace solving {

// A search that has not ended after this many positions looks for a small reason why the
// board cannot be cleared.
constexpr long positions_before_cores = 1000;
// The positions each small core's own search may take.
constexpr long core_node_limit = 2000;

enum class Outcome { cleared, stuck, out_of_nodes };

struct Piece {
    int cell;
    int group;                                          // pieces of one value form a group
    int above = -1, below = -1, left = -1, right = -1;  // neighbouring pieces, or -1
    bool at_edge = false;                               // column 0 or 11
    int stack = 0;  // the stack of cells it stands in (x + 12 * y), whatever its layer
};

// A position: which pieces are still there and which pairs of pieces may not be partners,
// as bits in one array so that positions can be remembered as a whole.
using State = std::vector<std::uint64_t>;

struct StateHash {
    size_t operator()(const State &s) const
    {
        std::uint64_t h = 0x9e3779b97f4a7c15ull;
        for (std::uint64_t w : s)
            h = (h ^ w) * 0x100000001b3ull + (h >> 29);
        return static_cast<size_t>(h);
    }
};

inline bool bit(const State &s, int i) { return (s[i >> 6] >> (i & 63)) & 1; }
inline void set_bit(State &s, int i) { s[i >> 6] |= std::uint64_t{1} << (i & 63); }
inline void clear_bit(State &s, int i) { s[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }

class Search {
public:
    // Looks for a small stuck core once `positions_before_cores` positions have been searched
    // (never when negative). Stops early, with `unknown`, once *cancel is set.
    Search(const Layout &board, long node_limit, long positions_before_cores,
           const std::atomic<bool> *cancel = nullptr);
    Solution run();

private:
    // The board's pieces and positions (solver.cpp).
    bool on(const State &s, int p) const { return bit(s, p); }
    bool all_gone(const State &s) const
    {
        for (size_t p = 0; p < pieces_.size(); p++)
            if (on(s, static_cast<int>(p)))
                return false;
        return true;
    }
    // Each group keeps a square of bits, one for each ordered pair of its pieces; a pair is
    // forbidden both ways at once, so either order can be read.
    int pair_bit(int a, int b) const { return pair_row_[a] + slot_[b]; }
    bool forbidden(const State &s, int a, int b) const { return bit(s, pair_bit(a, b)); }
    // Bars a and b from being partners, and has settle look at their value again.
    void forbid(State &s, int a, int b)
    {
        set_bit(s, pair_bit(a, b));
        set_bit(s, pair_bit(b, a));
        queue(pieces_[a].group);
    }
    void queue(int group)
    {
        if (!queued_[group]) {
            queued_[group] = 1;
            todo_.push_back(group);
        }
    }
    void bump(int group);

    // Settling a position (settle.cpp).
    bool is_free(int p, const State &s) const;
    void take(int a, int b, State &s);
    bool settle(State &s);
    void forget_queue();
    void queue_all();
    bool match_all(const std::vector<int> &pieces, const State &s, std::vector<int> &partner) const;
    bool settle_group(const std::vector<int> &group, State &s, bool &changed);
    bool take_all_free(const std::vector<int> &group, State &s, bool &changed);
    bool idle(int p, const State &s) const;
    bool take_around_idle_piece(State &s);
    bool follow_single_choices(State &s, bool &changed);

    // The order in which pairs must go (pair_order.cpp).
    void blockers(int a, int b, const State &s, std::vector<int> &out) const;
    bool order_all_pairs(State &s);
    bool order_pairs(State &s, bool &forbade);
    void find_settled_pairs(const State &s);
    void find_what_goes_first(const State &s);
    bool close_the_order();
    bool forbid_impossible_pairs(State &s);
    bool cannot_go_together(int a, int b, const State &s);

    // The proof from a small stuck core (stuck_core.cpp).
    bool stuck_core();
    bool core_of_dead_ends_is_stuck(int count);
    bool core_is_stuck(const std::vector<int> &groups);

    // The search that drives them (solver.cpp).
    struct Branch {
        int piece = -1;             // a free piece to decide on
        std::vector<int> partners;  // the free pieces it may go with
        bool can_wait = false;      // it may also go with one still blocked
    };
    Outcome visit(State s);
    Branch choose_branch(const State &s);
    Outcome explore(Branch &branch, const State &s);
    int newly_freed(int a, int b, const State &s) const;
    std::uint64_t next_random()
    {
        random_ ^= random_ << 13;
        random_ ^= random_ >> 7;
        random_ ^= random_ << 17;
        return random_;
    }

    std::vector<Piece> pieces_;
    std::vector<std::vector<int>> groups_;  // piece ids of each value, in cell order
    std::vector<int> slot_;                 // a piece's place in its group
    std::vector<int> pair_row_;             // first pair bit of a piece's row in its group's square
    int words_ = 0;
    std::unordered_set<State, StateHash> dead_;  // positions that cannot be cleared
    std::vector<std::pair<int, int>> taken_;
    // Scratch for order_pairs: the settled pairs and the order they must go in.
    std::vector<int> pair_of_;
    std::vector<std::pair<int, int>> settled_;
    std::vector<std::vector<int>> before_, blocking_;
    std::vector<int> found_;
    std::vector<std::uint64_t> reach_, must_precede_;
    std::vector<char> state_of_pair_;            // scratch for close_the_order
    std::vector<std::pair<int, int>> path_;      // its path: a pair and the next to follow
    int row_words_ = 0;
    std::vector<int> left_, partners_;       // scratch for settle and visit
    // The groups whose pieces' freedom (or idleness) taking a piece may change: its own, and
    // those of the pieces under, over and beside it, and two along its row.
    std::vector<std::vector<int>> concerned_;
    std::vector<int> todo_;      // groups settle has still to look at
    std::vector<char> queued_;   // whether a group is in todo_
    std::vector<double> activity_;  // how often each group took part in a dead end, recent ones counting more
    double bump_by_ = 1;
    std::uint64_t random_ = 0x2545f4914f6cdd1dull;
    const Layout &board_;
    long positions_before_cores_;
    const std::atomic<bool> *cancel_;
    long nodes_ = 0, node_limit_, restart_at_ = 0;
    bool prefer_tall_stacks_ = false;  // this run branches first on pieces over many others
};

}  // namespace solving
