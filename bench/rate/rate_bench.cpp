// How long rating a shipped layout takes: 1000 deals dealt as the game deals them, each
// searched to the end or to the node limit, plus the first-pair player; on one thread and on
// one a core (the tool's default).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "solve/rating.h"

namespace {

void rate_shipped_layout(benchmark::State &state)
{
    const std::string path = std::string(TILESTACK_GAMEDATA) + "/" +
                             std::to_string(state.range(0)) + ".lyt";
    const int threads = static_cast<int>(state.range(1));
    Layout shape;
    shape.clear();
    if (!shape.load(path.c_str())) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    RatingOptions options;  // 1000 deals from seed 1, 36 symbols, the default node limit
    options.threads = threads;
    Rating rating;
    for (auto _ : state)
        rating = rate_layout(shape, options);
    state.counters["threads"] = worker_count(threads);
    state.counters["pieces"] = shape.count;
    state.counters["cleared_%"] = 100.0 * rating.cleared / rating.deals;
    state.counters["stuck_%"] = 100.0 * rating.stuck / rating.deals;
    state.counters["unknown_%"] = 100.0 * rating.unknown / rating.deals;
    state.counters["first_pair_%"] = 100.0 * rating.first_pair / rating.deals;
}

BENCHMARK(rate_shipped_layout)
    ->Name("rate_1000_deals")
    ->ArgNames({"layout", "threads"})
    ->ArgsProduct({{0, 1, 2}, {1, 0}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Every shipped board, the three and the gallery's, rated without a second look (as before
// there was one) and with the default one, in one run: the ratio of the two times, and the
// deals each left undecided.
void rate_shipped_boards_second_look(benchmark::State &state)
{
    std::vector<std::string> files = {"0.lyt", "1.lyt", "2.lyt"};
    std::ifstream gallery(std::string(TILESTACK_GAMEDATA) + "/gallery.txt");
    for (std::string line; std::getline(gallery, line);)
        files.push_back(line);
    std::vector<Layout> shapes;
    for (const std::string &file : files) {
        Layout shape;
        shape.clear();
        if (!shape.load((std::string(TILESTACK_GAMEDATA) + "/" + file).c_str())) {
            state.SkipWithError(("cannot read " + file).c_str());
            return;
        }
        shapes.push_back(shape);
    }
    double seconds[2] = {0, 0};
    int undecided[2] = {0, 0};
    for (auto _ : state)
        for (int with = 0; with < 2; with++) {
            RatingOptions options;
            options.second_node_limit = with ? RatingOptions::default_second_node_limit : 0;
            const auto start = std::chrono::steady_clock::now();
            for (const Layout &shape : shapes)
                undecided[with] += rate_layout(shape, options).unknown;
            seconds[with] += std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                           start).count();
        }
    state.counters["boards"] = static_cast<double>(shapes.size());
    state.counters["first_look_s"] = seconds[0];
    state.counters["second_look_s"] = seconds[1];
    state.counters["ratio"] = seconds[1] / seconds[0];
    state.counters["undecided_before"] = undecided[0];
    state.counters["undecided_after"] = undecided[1];
}

BENCHMARK(rate_shipped_boards_second_look)
    ->Name("rate_shipped_boards_second_look")
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
