// The proof from a small stuck core: a few values that cannot be cleared even with every other
// piece taken off.
#include "solve/search.h"

#include <algorithm>

#include "solve/solver.h"

namespace solving {

// The values of `groups` alone, every other piece taken off: can they be cleared? Taking
// pieces away never makes another piece less free, so any way of clearing the whole board,
// with the moves of other values left out, clears these alone; when they cannot be cleared,
// neither can the board. Their own search counts towards the positions searched, so that
// the node limit bounds the time this takes as well.
bool Search::core_is_stuck(const std::vector<int> &groups)
{
    // Its first position, settled, counts as one, and its search gets no more than is left.
    const long left = node_limit_ - nodes_ - 1;
    if (left < 0 || (cancel_ && cancel_->load(std::memory_order_relaxed)))
        return false;
    Layout part;
    part.clear();
    for (int g : groups)
        for (int p : groups_[g])
            part.set_cell(pieces_[p].cell, board_.cell(pieces_[p].cell));
    Solution solution = Search(part, std::min(left, core_node_limit), -1, cancel_).run();
    nodes_ += 1 + solution.nodes;
    return solution.result == SolveResult::stuck;
}

// Looks for one value, two values or three that cannot be cleared on their own: each value
// alone, then those with a piece on or beside one of another, then three so linked. Deals
// that cannot be cleared are most often so for such a small reason, which the search
// proper, seeing all values at once, can take long to find.
bool Search::stuck_core()
{
    const int n = static_cast<int>(groups_.size());
    std::vector<std::vector<char>> linked(n, std::vector<char>(n, 0));
    for (const Piece &p : pieces_)
        for (int q : {p.above, p.left, p.right})
            if (q >= 0 && pieces_[q].group != p.group)
                linked[p.group][pieces_[q].group] = linked[pieces_[q].group][p.group] = 1;
    for (int g = 0; g < n; g++)
        if (core_is_stuck({g}))
            return true;
    for (int g = 0; g < n; g++)
        for (int h = g + 1; h < n; h++)
            if (linked[g][h] && core_is_stuck({g, h}))
                return true;
    for (int g = 0; g < n; g++)
        for (int h = g + 1; h < n; h++)
            for (int i = h + 1; i < n; i++) {
                int links = linked[g][h] + linked[g][i] + linked[h][i];
                if (links >= 2 && core_is_stuck({g, h, i}))
                    return true;
            }
    return false;
}

// The `count` values that took part in dead ends most often of late, with every value that
// has a piece on or beside one of theirs: can they be cleared alone? Boards that cannot be
// cleared for a reason bigger than three values mostly show it here: the dead ends point at
// the values in conflict, and the pieces on and beside them are what hinders them.
bool Search::core_of_dead_ends_is_stuck(int count)
{
    const int n = static_cast<int>(groups_.size());
    if (count >= n)
        return false;
    std::vector<int> core(n);
    for (int g = 0; g < n; g++)
        core[g] = g;
    std::partial_sort(core.begin(), core.begin() + count, core.end(),
                      [&](int a, int b) { return activity_[a] > activity_[b]; });
    core.resize(count);
    std::vector<char> in(n, 0);
    for (int g : core)
        in[g] = 1;
    for (int i = 0; i < count; i++)
        for (int p : groups_[core[i]])
            for (int q : {pieces_[p].above, pieces_[p].left, pieces_[p].right})
                if (q >= 0 && !in[pieces_[q].group]) {
                    in[pieces_[q].group] = 1;
                    core.push_back(pieces_[q].group);
                }
    return core_is_stuck(core);
}

}  // namespace solving
