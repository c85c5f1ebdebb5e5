// The keys of a screen as one table: each row is a key (or a few that do the same) with its
// modifiers, what it does on that screen, and its line on the card F2 shows. The screen reads
// its table once a pass into the actions pressed and then acts on them; its card is made from
// the same rows, so a key is written in one place.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

#include "app/input.h"

// How a row reads its key.
enum class KeyKind {
    press,  // once a press: on the first pass that sees it down after one that saw it up
    level,  // on every pass that sees it down (Escape in a game, the editor's layer keys)
    mouse,  // the mouse, which the screen reads itself: the row is there for the card
};

// One key of a screen. `Action` is the screen's own list of what its keys do.
template <class Action>
struct KeyRow {
    Action action;
    KeyKind kind;
    std::vector<int> scancodes;  // any of them (Return and the keypad's Enter); none for the mouse
    int with;                    // modifier bits held when the key went down
    int without;                 // modifier bits not held then (Ctrl+Z is not Ctrl+Shift+Z)
    std::string line;            // its line on the card; empty when a line above tells it
};

// Whether a key pressed with `modifiers` is the key of a row that asks for `with` and
// refuses `without`.
inline bool modifiers_fit(int modifiers, int with, int without)
{
    return (modifiers & with) == with && (modifiers & without) == 0;
}

// The first of `scancodes` down in the sample, or -1.
inline int first_down(const std::vector<int> &scancodes, const InputState &in)
{
    for (int k : scancodes)
        if (in.key(k))
            return k;
    return -1;
}

// The actions a pass read, as a set.
template <class Action>
class KeyPresses {
public:
    void add(Action a) { bits_.set(static_cast<std::size_t>(a)); }
    bool has(Action a) const { return bits_.test(static_cast<std::size_t>(a)); }
    bool any() const { return bits_.any(); }

private:
    std::bitset<32> bits_;  // by the action's value: a screen has fewer than 32
};

// A screen's table with a latch per row: one press, one effect.
template <class Action>
class KeyTable {
public:
    // `rows` must outlive the table (every screen's rows are static).
    explicit KeyTable(const std::vector<KeyRow<Action>> &rows) : rows_(rows), latches_(rows.size())
    {
    }

    // The actions of this pass: of the rows whose key went down since a pass that saw it up,
    // with the row's modifiers held as it went down, and of the level rows whose key is down.
    // Read on every pass, so that the latches see each key let go.
    KeyPresses<Action> read(const InputState &in)
    {
        KeyPresses<Action> presses;
        for (std::size_t i = 0; i < rows_.size(); i++) {
            const KeyRow<Action> &row = rows_[i];
            const int down = first_down(row.scancodes, in);
            const bool pressed = latches_[i].pressed(down != -1);
            const bool acts = row.kind == KeyKind::level ? down != -1
                              : row.kind == KeyKind::press ? pressed
                                                           : false;
            if (acts && modifiers_fit(in.modifiers(down), row.with, row.without))
                presses.add(row.action);
        }
        return presses;
    }

    // Marks every key held now as used (at a screen's start, after a modal screen): it acts
    // again only once let go. Level rows still read a held key as down.
    void hold(const InputState &held)
    {
        for (std::size_t i = 0; i < rows_.size(); i++)
            latches_[i].hold(first_down(rows_[i].scancodes, held) != -1);
    }

    // A key of `action` is down now, whatever its modifiers: for a screen that waits for the
    // key to be let go before it acts.
    bool down(const InputState &in, Action action) const
    {
        for (const KeyRow<Action> &row : rows_)
            if (row.action == action && first_down(row.scancodes, in) != -1)
                return true;
        return false;
    }

private:
    const std::vector<KeyRow<Action>> &rows_;
    std::vector<Latch> latches_;
};

// The card's lines of a table, in the rows' order.
template <class Action>
std::vector<std::string> card_lines(const std::vector<KeyRow<Action>> &rows)
{
    std::vector<std::string> lines;
    for (const KeyRow<Action> &row : rows)
        if (!row.line.empty())
            lines.push_back(row.line);
    return lines;
}
