// Help for the player: which pair to take next, found by the solver, and which pieces are
// free at all.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "board/layout.h"
#include "play/background_job.h"

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

// The node budget of the part of a hint that runs inside a pass of the game: small enough that
// the game's loop never waits long for it, whatever the board (bench/README.md gives the
// times). Most boards are decided within it; a board that is not is looked at further off the
// loop (HintLooker). A node count rather than a clock keeps the answer the same on every
// machine and every run.
constexpr long hint_node_budget = 2000;

// The node budget of a hint that goes on off the loop: it ends with `unknown` only on boards
// that need more than this; the player sees a note meanwhile and may go on playing.
constexpr long hint_look_further_budget = 1000000;

// Asks the solver about `board` with at most `node_budget` search positions; a search
// cancelled through *cancel ends as `unknown`.
Hint find_hint(const Layout &board, long node_budget = hint_node_budget,
               const std::atomic<bool> *cancel = nullptr);

// A hint that goes on looking off the game's loop, on its own copy of the board, one at a
// time: starting another or cancelling drops the one before, whose search stops within a
// position or so; the loop never waits for it.
class HintLooker {
public:
    // Starts looking at `board` with the budget off the loop, through `runner` when it is set.
    void start(const Layout &board, const BackgroundJob::Runner &runner = nullptr);
    // Whether a search was started and has not been taken or cancelled.
    bool looking() const { return job_.running(); }
    // The hint once the search has ended (true, once); false while it is still looking.
    bool take(Hint &hint);
    // Stops listening to the search; it ends on its own soon after.
    void cancel() { job_.drop(); }

private:
    BackgroundJob job_;
    std::shared_ptr<Hint> found_;  // written by the search, read once it has ended
};

// The first two free pieces with the same symbol, in cell order; false when there are none.
bool first_free_pair(const Layout &board, int &a, int &b);

// Every free piece of the board, in cell order.
std::vector<int> free_pieces(const Layout &board);
