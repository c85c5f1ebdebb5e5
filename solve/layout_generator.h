// Board shapes made to order, and shapes mended by moving a few pieces, both judged by how
// often the game's own deals of them can be cleared (rate_layout, exactly as the layout
// tool's `rate` judges a shape). Needs nothing but the board and the rating.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "board/layout.h"
#include "solve/rating.h"

// The shape `generate_layout` is asked for.
struct ShapeRequest {
    int pieces = 144;    // even, at most 84 a layer
    int layers = 5;      // layers it may use, from the bottom
    bool mirror = true;  // column x mirrors column 11 - x
};

// Where a search stands, after each deal it rated.
struct SearchProgress {
    int shapes_rated = 0;
    double best_share = 0;   // percent of the search deals the best shape so far surely clears
    double budget_used = 0;  // from 0 to 1
    bool final = false;      // the deals are those of a final rating (after the search)
    int deals_done = 0;      // deals rated of the shape at hand, of `deals`
    int deals = 0;
};

// The share of its deals, in percent, that a shape made or mended must clear unless asked
// for another.
constexpr double default_min_clear = 95.0;

// How shapes are judged, and how long a search may go on.
struct SearchOptions {
    double min_clear = default_min_clear;  // percent of deals that must be clearable
    int deals = 300;          // deals rated for each shape tried
    int final_deals = 1000;   // deals of the final rating of the shape chosen
    unsigned seed = 1;        // deal k is dealt right after srand(seed + k); also seeds the search
    int symbols = shipped_symbol_count;
    long node_limit = 20000;  // search positions per deal, as for rate_layout
    // The final rating's second look, as for rate_layout (the search's own judging has none).
    long second_node_limit = RatingOptions::default_second_node_limit;
    long budget = 0;          // work before giving up, in search positions; 0: 8000 a deal
    std::function<void(const SearchProgress &)> progress;
    int threads = 0;  // worker threads; 0: one per core
    const std::atomic<bool> *cancel = nullptr;  // set from another thread to stop early
};

struct SearchResult {
    bool reached = false;      // the shape reaches min_clear over the search deals
    Layout shape{};            // that shape, or the best one found
    int search_cleared = 0;    // search deals the shape clears (when the share was not reached)
    double search_share = 0;   // the same in percent
    Rating final_rating;       // over `final_deals` deals from the seed, as rate_layout gives it
    Rating before;             // improve: the input's rating over `final_deals` deals
    int moved = 0;             // improve: pieces standing where the input had none
    int shapes_rated = 0;
    bool cancelled = false;    // stopped early through options.cancel; `shape` is the best so far
};

// What is wrong with a request (an odd count, more pieces than the layers hold, ...), or "".
std::string request_problem(const ShapeRequest &request);

// True when every piece in column x has a piece in column 11 - x at the same row and layer.
bool is_mirrored(const Layout &shape);

// Makes a shape of exactly `request.pieces` pieces, each on the floor or on a piece, within
// `request.layers` layers, that looks built by hand (see shape_looks in the source) and of
// whose search deals at least `options.min_clear` percent can be cleared, as rate_layout
// rates them; its final rating is over `options.final_deals` deals. The same request and
// options always give the same shape. When no shape reached the share within the budget,
// `reached` is false and `shape` is the nearest one found, with its `search_share`.
SearchResult generate_layout(const ShapeRequest &request, const SearchOptions &options);

// Moves as few pieces of `input` as it can, keeping their count, the rule that a piece rests
// on the floor or on a piece, the layers used and (when the input has it) the mirror, until
// at least `options.min_clear` percent of its search deals can be cleared. A shape that
// already reaches that is given back unchanged.
SearchResult improve_layout(const Layout &input, const SearchOptions &options);
