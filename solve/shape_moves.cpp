#include "solve/shape_moves.h"

#include <algorithm>

namespace shape_search {

// Cells a move may start from, in the left half only when the twins follow.
std::vector<int> cells_where(const Layout &shape, const MoveRules &rules, bool lift)
{
    std::vector<int> cells;
    for (int i = 0; i < Layout::cell_count; i++) {
        if (rules.mirror && x_of(i) >= columns / 2)
            continue;
        if (lift ? liftable(shape, i) : placeable(shape, i, rules.used_layers))
            cells.push_back(i);
    }
    return cells;
}

// Lifts the piece (and its twin); then puts it down at `to` when that is allowed there.
bool apply_move(Layout &shape, const Move &move, const MoveRules &rules)
{
    Layout after = shape;
    after.set_cell(move.from, 0);
    if (rules.mirror)
        after.set_cell(twin(move.from), 0);
    if (move.to == move.from || !placeable(after, move.to, rules.used_layers))
        return false;
    after.set_cell(move.to, 1);
    if (rules.mirror)
        after.set_cell(twin(move.to), 1);
    shape = after;
    return true;
}

bool random_move(Layout &shape, const MoveRules &rules, Dice &dice)
{
    std::vector<int> from = cells_where(shape, rules, true);
    if (from.empty())
        return false;
    Move move;
    move.from = from[dice.below(static_cast<int>(from.size()))];
    Layout lifted = shape;
    lifted.set_cell(move.from, 0);
    if (rules.mirror)
        lifted.set_cell(twin(move.from), 0);
    std::vector<int> to = cells_where(lifted, rules, false);
    to.erase(std::remove(to.begin(), to.end(), move.from), to.end());
    if (to.empty())
        return false;
    move.to = to[dice.below(static_cast<int>(to.size()))];
    return apply_move(shape, move, rules);
}

}  // namespace shape_search
