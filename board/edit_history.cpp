#include "board/edit_history.h"

#include <cstring>

void EditHistory::record(const Layout &before, const Layout &after)
{
    if (std::memcmp(before.cells, after.cells, sizeof before.cells) == 0)
        return;
    done_.push_back(before);
    if (done_.size() > most_steps)
        done_.pop_front();
    undone_.clear();
}

bool EditHistory::undo(Layout &current)
{
    if (done_.empty())
        return false;
    undone_.push_back(current);
    current = done_.back();
    done_.pop_back();
    return true;
}

bool EditHistory::redo(Layout &current)
{
    if (undone_.empty())
        return false;
    done_.push_back(current);
    current = undone_.back();
    undone_.pop_back();
    return true;
}
