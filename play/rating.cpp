#include "play/rating.h"

#include <cstdlib>

#include "board/rules.h"
#include "play/deal.h"
#include "play/solver.h"

bool first_pair_player_clears(Layout board)
{
    for (;;) {
        if (board.count == 0)
            return true;
        int first = -1, second = -1;
        // Free pieces in cell order; the first one with a free partner decides the move.
        int free_cells[Layout::cell_count];
        int n = 0;
        for (int i = 0; i < Layout::cell_count; i++)
            if (is_free(board, i))
                free_cells[n++] = i;
        for (int a = 0; a < n && first < 0; a++)
            for (int b = a + 1; b < n; b++)
                if (is_pair(board, free_cells[a], free_cells[b])) {
                    first = free_cells[a];
                    second = free_cells[b];
                    break;
                }
        if (first < 0)
            return false;
        take_pair(board, first, second);
    }
}

bool deal_for_rating(const Layout &shape, const RatingOptions &options, int k, Layout &board)
{
    board = shape;
    Deal dealt;
    std::srand(options.seed + static_cast<unsigned>(k));
    return deal(board, options.symbols, dealt);
}

Rating rate_layout(const Layout &shape, const RatingOptions &options)
{
    Rating rating;
    for (int k = 0; k < options.deals; k++) {
        if (options.cancel && options.cancel->load())
            break;
        Layout board;
        if (!deal_for_rating(shape, options, k, board))
            break;  // an empty shape has nothing to rate
        rating.deals++;
        switch (solve_board(board, options.node_limit).result) {
        case SolveResult::cleared:
            rating.cleared++;
            break;
        case SolveResult::stuck:
            rating.stuck++;
            break;
        case SolveResult::unknown:
            rating.unknown++;
            break;
        }
        if (first_pair_player_clears(board))
            rating.first_pair++;
        if (options.progress)
            options.progress(k + 1);
    }
    return rating;
}
