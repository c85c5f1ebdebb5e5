#include "solve/rating.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "board/rules.h"
#include "play/deal.h"
#include "solve/solver.h"

bool first_pair_player_clears(Layout board)
{
    // The pieces still there, in cell order; only they can be free.
    std::vector<int> pieces;
    for (int i = 0; i < Layout::cell_count; i++)
        if (board.cell(i) != 0)
            pieces.push_back(i);
    std::vector<int> free_cells;
    for (;;) {
        if (board.count == 0)
            return true;
        // Free pieces in cell order; the first one with a free partner decides the move.
        free_cells.clear();
        for (int i : pieces)
            if (is_free(board, i))
                free_cells.push_back(i);
        int first, second;
        if (!first_matching_pair(board, free_cells, first, second))
            return false;
        take_pair(board, first, second);
        pieces.erase(std::remove_if(pieces.begin(), pieces.end(),
                                    [&](int i) { return i == first || i == second; }),
                     pieces.end());
    }
}

bool deal_for_rating(const Layout &shape, const RatingOptions &options, int k, Layout &board)
{
    board = shape;
    Deal dealt;
    RandSequence draws(options.seed + static_cast<unsigned>(k));
    return deal(board, options.symbols, dealt, draws);
}

int worker_count(int threads)
{
    if (threads > 0)
        return threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void share_out(int count, int threads, const std::atomic<bool> *cancel,
               const std::function<void(int k)> &work)
{
    std::atomic<int> next{0};
    auto worker = [&] {
        for (;;) {
            if (cancel && cancel->load())
                return;
            int k = next.fetch_add(1);
            if (k >= count)
                return;
            work(k);
        }
    };
    const int helpers = std::min(worker_count(threads), count) - 1;
    std::vector<std::thread> pool;
    for (int t = 0; t < helpers; t++)
        pool.emplace_back(worker);
    worker();
    for (std::thread &t : pool)
        t.join();
}

long second_look_limit(const RatingOptions &options, int open)
{
    if (options.second_node_limit <= 0 || open == 0)
        return 0;
    const long budget = static_cast<long>(options.deals) * options.node_limit;
    return std::min(options.second_node_limit, budget / open);
}

Rating rate_layout(const Layout &shape, const RatingOptions &options)
{
    Rating rating;
    if (shape.count == 0 || options.deals <= 0)
        return rating;  // an empty shape has nothing to rate
    // Each deal's outcome in a byte of its own (the tool allows millions of deals); summed
    // up once all are done.
    enum : unsigned char { done_bit = 1, first_pair_bit = 2, cleared_bit = 4, stuck_bit = 8 };
    std::vector<unsigned char> outcomes(options.deals, 0);
    std::mutex reporting;
    int done = 0;
    // A deal is reported once its outcome is final: a deal left open by the first look only
    // after its second one, so the count reaches `deals` when the rating ends.
    auto report = [&] {
        if (options.progress) {
            std::lock_guard<std::mutex> lock(reporting);
            options.progress(++done);
        }
    };
    const bool second_look = options.second_node_limit > 0;
    auto outcome = [](SolveResult result) -> unsigned char {
        return (result == SolveResult::cleared ? cleared_bit : 0) |
               (result == SolveResult::stuck ? stuck_bit : 0);
    };
    share_out(options.deals, options.threads, options.cancel, [&](int k) {
        Layout board;
        deal_for_rating(shape, options, k, board);
        unsigned char o = done_bit | outcome(solve_board(board, options.node_limit).result);
        o |= first_pair_player_clears(board) ? first_pair_bit : 0;
        outcomes[k] = o;
        if (!second_look || (o & (cleared_bit | stuck_bit)))
            report();
    });

    std::vector<int> open;
    for (int k = 0; k < options.deals; k++)
        if (outcomes[k] == done_bit || outcomes[k] == (done_bit | first_pair_bit))
            open.push_back(k);
    const long limit = second_look_limit(options, static_cast<int>(open.size()));
    if (limit > options.node_limit) {
        share_out(static_cast<int>(open.size()), options.threads, options.cancel, [&](int i) {
            Layout board;
            deal_for_rating(shape, options, open[i], board);
            outcomes[open[i]] |= outcome(solve_board(board, limit, options.cancel).result);
            report();
        });
    } else {
        for (size_t i = 0; i < open.size(); i++)
            report();
    }
    for (unsigned char o : outcomes) {
        if (!(o & done_bit))
            continue;
        rating.deals++;
        rating.cleared += (o & cleared_bit) != 0;
        rating.stuck += (o & stuck_bit) != 0;
        rating.unknown += (o & (cleared_bit | stuck_bit)) == 0;
        rating.first_pair += (o & first_pair_bit) != 0;
    }
    return rating;
}
