// How long `tilestack-layout generate` takes with its defaults: 144 pieces in 5 layers,
// mirrored, at least 95 % of 300 search deals clearable, then the final rating over 1000
// deals, for seeds 1 to 12. Target: within 10 s each on the clock on the project's 2-core
// machines.
#include <benchmark/benchmark.h>

#include "solve/layout_generator.h"

namespace {

void generate_default_layout(benchmark::State &state)
{
    ShapeRequest request;  // 144 pieces, 5 layers, mirrored
    SearchOptions options;  // 95 % of 300 deals, 36 symbols, the default budget
    options.seed = static_cast<unsigned>(state.range(0));
    SearchResult result;
    for (auto _ : state)
        result = generate_layout(request, options);
    state.counters["reached"] = result.reached;
    state.counters["shapes_rated"] = result.shapes_rated;
    if (result.reached)
        state.counters["final_cleared_%"] =
            100.0 * result.final_rating.cleared / result.final_rating.deals;
}

BENCHMARK(generate_default_layout)
    ->Name("generate_144_pieces_5_layers/seed")
    ->DenseRange(1, 12)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
