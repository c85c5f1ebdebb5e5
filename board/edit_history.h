// The steps of an editing session, to take back and do again: each step is the whole layout
// as it was before it (a layout is 508 bytes, so snapshots are the simplest sound record).
#pragma once

#include <cstddef>
#include <deque>

#include "board/layout.h"

class EditHistory {
public:
    // Steps kept to take back; the oldest is forgotten beyond this (about half a megabyte).
    static constexpr std::size_t most_steps = 1000;

    // A step changed the layout from `before` to what it is now. Forgets every step that
    // could be done again. A step that changed nothing is not recorded.
    void record(const Layout &before, const Layout &after);

    // Takes back the last step: `current` becomes the layout before it. False, and `current`
    // unchanged, when there is no step to take back.
    bool undo(Layout &current);
    // Does again the last step taken back. False when there is none.
    bool redo(Layout &current);

    bool can_undo() const { return !done_.empty(); }
    bool can_redo() const { return !undone_.empty(); }

private:
    std::deque<Layout> done_;    // the layouts before each step, oldest first
    std::deque<Layout> undone_;  // the layouts after each step taken back, latest last
};
