#include "play/hint.h"

#include "board/rules.h"
#include "solve/solver.h"

std::vector<int> free_pieces(const Layout &board)
{
    std::vector<int> cells;
    for (int i = 0; i < Layout::cell_count; i++)
        if (is_free(board, i))
            cells.push_back(i);
    return cells;
}

bool first_free_pair(const Layout &board, int &a, int &b)
{
    return first_matching_pair(board, free_pieces(board), a, b);
}

Hint find_hint(const Layout &board, long node_budget, const std::atomic<bool> *cancel)
{
    Hint hint;
    if (!first_free_pair(board, hint.a, hint.b))
        return hint;  // nothing matches (or the board is empty): no hint to give
    const Solution solution = solve_board(board, node_budget, cancel);
    switch (solution.result) {
    case SolveResult::cleared:
        // The way starts with a pair that may be taken now; should it ever not, the hint
        // says it does not know rather than show a pair that cannot be taken.
        if (!solution.pairs.empty() &&
            is_pair(board, solution.pairs.front().first, solution.pairs.front().second)) {
            hint.kind = HintKind::way;
            hint.a = solution.pairs.front().first;
            hint.b = solution.pairs.front().second;
        } else {
            hint.kind = HintKind::unknown;
        }
        break;
    case SolveResult::stuck:
        hint.kind = HintKind::no_way;
        break;
    case SolveResult::unknown:
        hint.kind = HintKind::unknown;
        break;
    }
    return hint;
}

HintLooker::~HintLooker()
{
    cancel();
    for (std::unique_ptr<Job> &job : stopping_)
        if (job->thread.joinable())
            job->thread.join();
}

void HintLooker::start(const Layout &board, const Runner &runner)
{
    cancel();
    current_ = std::make_unique<Job>();
    Job *job = current_.get();
    job->board = board;
    auto work = [job] {
        job->hint = find_hint(job->board, hint_look_further_budget, &job->cancel);
        job->finished.store(true, std::memory_order_release);
    };
    if (runner)
        runner(work);
    else
        job->thread = std::thread(work);
}

bool HintLooker::take(Hint &hint)
{
    join_finished();
    if (!current_ || !current_->finished.load(std::memory_order_acquire))
        return false;
    if (current_->thread.joinable())
        current_->thread.join();
    hint = current_->hint;
    current_.reset();
    return true;
}

void HintLooker::cancel()
{
    if (current_) {
        current_->cancel = true;
        stopping_.push_back(std::move(current_));
    }
    join_finished();
}

// Joins the cancelled searches that have ended (a join then only reaps the thread) and
// forgets them; the others are left to end.
void HintLooker::join_finished()
{
    for (size_t i = 0; i < stopping_.size();) {
        if (stopping_[i]->finished.load(std::memory_order_acquire)) {
            if (stopping_[i]->thread.joinable())
                stopping_[i]->thread.join();
            stopping_.erase(stopping_.begin() + static_cast<long>(i));
        } else {
            i++;
        }
    }
}
