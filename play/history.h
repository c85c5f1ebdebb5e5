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
    void record(int a, int b, int symbol);

    // Puts the last pair taken back on `board`; false (and the board unchanged) when nothing
    // is left to undo or its cells are no longer empty.
    bool undo(Layout &board);
    // Takes the last pair undone again; false (and the board unchanged) when there is none or
    // it is no longer a pair that may be taken.
    bool redo(Layout &board);

    // Starts again from a history kept earlier: `pairs` taken in order, the first
    // `taken_count` of them still off the board and the rest put back.
    void restore(std::vector<TakenPair> pairs, std::size_t taken_count);
    const std::vector<TakenPair> &pairs() const { return pairs_; }

    bool can_undo() const { return taken_count_ > 0; }
    bool can_redo() const { return taken_count_ < pairs_.size(); }
    // Pairs taken and not put back.
    std::size_t taken_count() const { return taken_count_; }

private:
    std::vector<TakenPair> pairs_;  // every pair taken; those from taken_count_ on are undone
    std::size_t taken_count_ = 0;
};
