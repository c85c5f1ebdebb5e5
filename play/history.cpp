#include "play/history.h"

#include "board/rules.h"

#include <utility>

void History::record(int a, int b, int symbol)
{
    pairs_.resize(taken_count_);
    pairs_.push_back({a, b, symbol});
    taken_count_++;
}

bool History::undo(Layout &board)
{
    if (!can_undo())
        return false;
    const TakenPair &p = pairs_[taken_count_ - 1];
    if (board.cell(p.a) != 0 || board.cell(p.b) != 0)
        return false;
    board.set_cell(p.a, p.symbol);
    board.set_cell(p.b, p.symbol);
    taken_count_--;
    return true;
}

bool History::redo(Layout &board)
{
    if (!can_redo())
        return false;
    const TakenPair &p = pairs_[taken_count_];
    if (board.cell(p.a) != p.symbol || !take_pair(board, p.a, p.b))
        return false;
    taken_count_++;
    return true;
}

void History::restore(std::vector<TakenPair> pairs, std::size_t taken_count)
{
    pairs_ = std::move(pairs);
    taken_count_ = taken_count < pairs_.size() ? taken_count : pairs_.size();
}
