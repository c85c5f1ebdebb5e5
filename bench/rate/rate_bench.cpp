// How long rating a shipped layout takes: 1000 deals dealt as the game deals them, each
// searched to the end or to the node limit, plus the first-pair player; on one thread and on
// one a core (the tool's default).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

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

}  // namespace

BENCHMARK_MAIN();
