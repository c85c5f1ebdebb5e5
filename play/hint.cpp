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

void HintLooker::start(const Layout &board, const BackgroundJob::Runner &runner)
{
    found_ = std::make_shared<Hint>();
    job_.start(
        [board, found = found_](BackgroundJob::Control &control) {
            *found = find_hint(board, hint_look_further_budget, control.cancel_flag());
        },
        runner);
}

bool HintLooker::take(Hint &hint)
{
    if (!job_.take_finished())
        return false;
    hint = *found_;
    return true;
}
