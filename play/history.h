// The pairs a game has taken, in order, so that they can be put back and taken again.
#pragma once

#include <cstddef>
#include <vector>

#include "board/layout.h"

// One pair taken off the board: its two cells and the symbol they bore.
struct TakenPair {
    int a;
    int b;
    int symbol;
};

class History {
public:
    // Records a pair just taken off the board. Whatever could be redone is forgotten: a new
    // move starts a new line of play.
    void taken(int a, int b, int symbol);

    // Puts the last pair taken back on `board`; false (and the board unchanged) when nothing
    // is left to undo or its cells are no longer empty.
    bool undo(Layout &board);
    // Takes the last pair undone again; false (and the board unchanged) when there is none or
    // it is no longer a pair that may be taken.
    bool redo(Layout &board);

    // Starts again from a history kept earlier: `pairs` taken in order, the first `done` of
    // them still off the board and the rest put back.
    void restore(std::vector<TakenPair> pairs, std::size_t done);
    const std::vector<TakenPair> &pairs() const { return pairs_; }

    bool can_undo() const { return done_ > 0; }
    bool can_redo() const { return done_ < pairs_.size(); }
    std::size_t taken_count() const { return done_; }

private:
    std::vector<TakenPair> pairs_;  // every pair taken; those from done_ on are undone
    std::size_t done_ = 0;          // pairs taken and not undone
};
