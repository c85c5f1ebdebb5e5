// Help for the player: which pair to take next, found by the solver, and which pieces are
// free at all.
#pragma once

#include <vector>

#include "board/layout.h"

// What the solver could say about the board when the hint was asked for.
enum class HintKind {
    none,     // no two free pieces match: there is nothing to hint
    way,      // the board can be cleared, and the pair is the first of a way to do it
    no_way,   // the board can no longer be cleared; the pair is merely one that matches
    unknown,  // the search ran out of budget; the pair is merely one that matches
};

struct Hint {
    HintKind kind = HintKind::none;
    int a = -1;  // the two cells of the hinted pair, or -1 for none
    int b = -1;
};

// The node budget a hint gives the solver. The hint runs inside a pass of the game, so it must
// come back quickly whatever the board: at this budget the slowest hint measured by the hint
// benchmark (positions of 1000 games on each shipped layout) took about 20 ms on the
// project's 2-core machines, a pause a player does not notice, and the median well under a
// millisecond. The positions that run to the budget are nearly all boards that can no longer
// be cleared but need a long proof; a larger budget settles few more of them for its time.
// A node count rather than a clock keeps the answer the same on every machine and every run.
constexpr long hint_node_budget = 3000;

// Asks the solver about `board` with at most `node_budget` search positions.
Hint find_hint(const Layout &board, long node_budget = hint_node_budget);

// The first two free pieces with the same symbol, in cell order; false when there are none.
bool first_free_pair(const Layout &board, int &a, int &b);

// Every free piece of the board, in cell order.
std::vector<int> free_pieces(const Layout &board);
