// How long one hint takes: positions that a player who always takes the first pair passes
// through, in 1000 games on each shipped layout, each asked for a hint as the game asks:
// first within a pass of the game's loop, then, when that does not decide, further off the
// loop. Reports the median and the slowest wait of the loop, the slowest search off the
// loop, and what the hints said in the end. Two more rows give the loop's part alone on the
// second layout at half and twice its budget, to show how the time follows the budget.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "board/rules.h"
#include "play/hint.h"
#include "solve/rating.h"

namespace {

// Processor time of this thread: what a hint costs the game's loop on a machine that is not
// shared with other work (the machines this runs on usually are).
double thread_seconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Every this many moves along a game a position is taken, the dealt board first.
constexpr int position_stride = 8;

void hint_on_shipped_layout(benchmark::State &state)
{
    const std::string path = std::string(TILESTACK_GAMEDATA) + "/" +
                             std::to_string(state.range(0)) + ".lyt";
    const long budget = state.range(1);
    const bool look_further = state.range(2) != 0;
    Layout shape;
    shape.clear();
    if (!shape.load(path.c_str())) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    RatingOptions options;  // 1000 deals from seed 1, 36 symbols, as the rating deals them
    std::vector<double> seconds;
    double further_worst = 0;
    int kinds[4] = {}, looked_further = 0;
    for (auto _ : state) {
        seconds.clear();
        for (int k = 0; k < options.deals; k++) {
            Layout board;
            if (!deal_for_rating(shape, options, k, board))
                break;
            for (int move = 0;; move++) {
                if (move % position_stride == 0) {
                    double start = thread_seconds();
                    Hint hint = find_hint(board, budget);
                    seconds.push_back(thread_seconds() - start);
                    if (hint.kind == HintKind::unknown && look_further) {
                        // Further off the loop, on a thread of its own as in the game, here
                        // waited for at once.
                        looked_further++;
                        HintLooker looker;
                        looker.start(board, [&](std::function<void()> work) {
                            std::thread([&] {
                                const double began = thread_seconds();
                                work();
                                further_worst = std::max(further_worst, thread_seconds() - began);
                            }).join();
                        });
                        looker.take(hint);
                    }
                    kinds[static_cast<int>(hint.kind)]++;
                }
                int a, b;
                if (!first_free_pair(board, a, b))
                    break;
                take_pair(board, a, b);
            }
        }
    }
    if (seconds.empty())
        return;
    std::sort(seconds.begin(), seconds.end());
    const double n = static_cast<double>(seconds.size());
    state.counters["positions"] = n;
    state.counters["median_ms"] = 1000 * seconds[seconds.size() / 2];
    state.counters["p99_ms"] = 1000 * seconds[seconds.size() * 99 / 100];
    state.counters["worst_ms"] = 1000 * seconds.back();  // the longest the loop waited
    state.counters["further_%"] = 100 * looked_further / n;
    state.counters["further_worst_s"] = further_worst;
    state.counters["way_%"] = 100 * kinds[static_cast<int>(HintKind::way)] / n;
    state.counters["no_way_%"] = 100 * kinds[static_cast<int>(HintKind::no_way)] / n;
    state.counters["unknown_%"] = 100 * kinds[static_cast<int>(HintKind::unknown)] / n;
}

BENCHMARK(hint_on_shipped_layout)
    ->Name("hint/layout/budget/further")
    ->ArgsProduct({{0, 1, 2}, {hint_node_budget}, {1}})
    ->Args({1, hint_node_budget / 2, 0})
    ->Args({1, hint_node_budget * 2, 0})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
