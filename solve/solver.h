// An exact solver for a dealt board: can every piece be taken away in matching pairs?
// Used to rate layouts (how many random deals can be cleared) by tests and layout tools.
#pragma once

#include <atomic>
#include <utility>
#include <vector>

#include "board/layout.h"

enum class SolveResult {
    cleared,  // a sequence of pairs that empties the board exists (and is given)
    stuck,    // no sequence of pairs empties the board
    unknown,  // the node limit was reached before either was shown
};

struct Solution {
    SolveResult result = SolveResult::unknown;
    long nodes = 0;                          // positions searched
    std::vector<std::pair<int, int>> pairs;  // cell indices taken, in order, when cleared
};

// Searches depth first which pieces of each value are taken together, remembering
// positions already shown to lead nowhere; every step that is certain is taken without
// branching, and the search restarts now and then, keeping what it learnt; a search that
// runs long also looks for one, two or three values that cannot be cleared even alone, and
// from then on for the values its dead ends keep meeting with those on and beside them. Safe
// to run on many threads at once, each on its own board. Searches at most `node_limit`
// branching positions in all (the small values' own searches included) and then stops with
// `unknown`; so does it once *cancel is set, from any thread. Meant for dealt boards, where a
// value lies on a few pieces: the work per position grows with the square of that number.
// The same board and limit always give the same answer, unless cancelled.
Solution solve_board(const Layout &board, long node_limit = 200000,
                     const std::atomic<bool> *cancel = nullptr);

const char *to_string(SolveResult result);
