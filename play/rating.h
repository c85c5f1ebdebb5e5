// How often a shape can be cleared under the game's own dealing.
#pragma once

#include <atomic>
#include <functional>

#include "board/layout.h"

// Plays a dealt board as a player who always takes the first pair available: the free piece
// with the lowest cell index that has a free partner, with the lowest such partner. True
// when that empties the board.
bool first_pair_player_clears(Layout board);

struct Rating {
    int deals = 0;
    int cleared = 0;        // deals the exact search clears
    int stuck = 0;          // deals shown impossible to clear
    int unknown = 0;        // deals the search gave up on within its node limit
    int first_pair = 0;     // deals the first-pair player clears
};

struct RatingOptions {
    int deals = 1000;
    unsigned seed = 1;        // deal k is dealt right after srand(seed + k)
    int symbols = 36;         // symbols in the game's strip
    long node_limit = 20000;  // search positions per deal before it counts as unknown
    // Called after each deal with the number done so far, for progress reports.
    std::function<void(int done)> progress;
    const std::atomic<bool> *cancel = nullptr;  // set from another thread to stop early
};

// Deal k of the shape as rate_layout deals it: right after srand(options.seed + k), with
// options.symbols symbols. False for a shape without pieces.
bool deal_for_rating(const Layout &shape, const RatingOptions &options, int k, Layout &board);

// Deals the shape `options.deals` times exactly as the game deals it and rates each deal.
// The same shape and options always give the same rating. Once `options.cancel` is set no
// new deal is taken, and the rating covers the deals done.
Rating rate_layout(const Layout &shape, const RatingOptions &options);
