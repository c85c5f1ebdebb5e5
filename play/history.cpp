#include "play/history.h"

#include "board/rules.h"

#include <utility>

void History::taken(int a, int b, int symbol)
{
    pairs_.resize(done_);
    pairs_.push_back({a, b, symbol});
    done_++;
}

bool History::undo(Layout &board)
{
    if (!can_undo())
        return false;
    const TakenPair &p = pairs_[done_ - 1];
    if (board.cell(p.a) != 0 || board.cell(p.b) != 0)
        return false;
    board.set_cell(p.a, p.symbol);
    board.set_cell(p.b, p.symbol);
    done_--;
    return true;
}

bool History::redo(Layout &board)
{
    if (!can_redo())
        return false;
    const TakenPair &p = pairs_[done_];
    if (board.cell(p.a) != p.symbol || !take_pair(board, p.a, p.b))
        return false;
    done_++;
    return true;
}

void History::restore(std::vector<TakenPair> pairs, std::size_t done)
{
    pairs_ = std::move(pairs);
    done_ = done < pairs_.size() ? done : pairs_.size();
}
