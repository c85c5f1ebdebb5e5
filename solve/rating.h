// How often a shape can be cleared under the game's own dealing.
#pragma once

#include <atomic>
#include <functional>

#include "board/constants.h"
#include "board/layout.h"

// Plays a dealt board as a player who always takes the first pair available: the free piece
// with the lowest cell index that has a free partner, with the lowest such partner. True
// when that empties the board.
bool first_pair_player_clears(Layout board);

struct Rating {
    int deals = 0;
    int cleared = 0;        // deals the exact search clears
    int stuck = 0;          // deals shown impossible to clear
    int unknown = 0;        // deals the search gave up on within its node limits
    int first_pair = 0;     // deals the first-pair player clears
};

struct RatingOptions {
    int deals = 1000;
    unsigned seed = 1;        // deal k is dealt right after srand(seed + k)
    int symbols = shipped_symbol_count;  // symbols in the game's strip
    long node_limit = 20000;  // search positions per deal in the first look
    // The deals the first look leaves open are looked at again, each up to this many
    // positions (0: no second look, so they count as unknown), the second look spending at
    // most deals * node_limit positions in all: each open deal gets the smaller of this limit
    // and its share of that. A budget of positions, never of time, so that every machine
    // gives the same counts.
    long second_node_limit = default_second_node_limit;
    static constexpr long default_second_node_limit = 5000000;
    // Called after each deal with the number done so far, for progress reports: from one
    // thread at a time, with a count that only grows.
    std::function<void(int done)> progress;
    int threads = 0;  // worker threads; 0: one per core
    const std::atomic<bool> *cancel = nullptr;  // set from another thread to stop early
};

// Deal k of the shape as rate_layout deals it: as right after srand(options.seed + k), with
// options.symbols symbols, though without touching rand()'s own state. False for a shape
// without pieces.
bool deal_for_rating(const Layout &shape, const RatingOptions &options, int k, Layout &board);

// Deals the shape `options.deals` times exactly as the game deals it and rates each deal, the
// deals shared out over `options.threads` threads: first each deal within node_limit, then
// the deals still open within the second look's limit. The same shape and options always
// give the same rating, whatever the thread count. Once `options.cancel` is set no new deal
// is started (a second look under way stops too), and the rating covers the deals done.
Rating rate_layout(const Layout &shape, const RatingOptions &options);

// The positions each of `open` deals left open by the first look gets in the second look:
// 0 when there is none.
long second_look_limit(const RatingOptions &options, int open);

// The threads to use for a `threads` option: itself, or one per core for 0.
int worker_count(int threads);

// Calls work(k) once for each k from 0 to count - 1, on `threads` threads (0: one per core),
// each taking the next k as it becomes free; works on the calling thread alone when one
// thread is asked for. Once *cancel is set no new k is started. Returns when all work
// started is done.
void share_out(int count, int threads, const std::atomic<bool> *cancel,
               const std::function<void(int k)> &work);
