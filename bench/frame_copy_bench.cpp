// How long a 640 x 480 frame takes to reach a window enlarged by a whole factor: the game's
// own copy (each pixel as a block) against the library's stretch_blit, into a memory bitmap of
// the window's size standing in for the screen (what the X server does with it afterwards is
// the library's part and is not measured here).
#include "bench/frame_copy_bench.h"

#include <allegro.h>
#include <benchmark/benchmark.h>

#include <string>

#include "app/display_scale.h"
#include "bench/veil_bench.h"

namespace {

void frame_copy(benchmark::State &state, int factor, int depth, bool library)
{
    BITMAP *frame = smooth_frame_picture(depth);
    BITMAP *window = create_bitmap_ex(depth, frame_width * factor, frame_height * factor);
    for (auto _ : state) {
        if (library)
            stretch_blit(frame, window, 0, 0, frame->w, frame->h, 0, 0, window->w, window->h);
        else
            blit_enlarged(frame, window, factor);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(window);
    destroy_bitmap(frame);
}

}  // namespace

void register_frame_copy_benchmarks()
{
    for (int depth : {16, 32})
        for (int factor : {1, 2, 3}) {
            const std::string tail = "/" + std::to_string(factor) + "/" + std::to_string(depth);
            benchmark::RegisterBenchmark(("frame_copy" + tail).c_str(), frame_copy, factor, depth,
                                         false)
                ->Unit(benchmark::kMillisecond);
            if (factor > 1)
                benchmark::RegisterBenchmark(("library_stretch" + tail).c_str(), frame_copy,
                                             factor, depth, true)
                    ->Unit(benchmark::kMillisecond);
        }
}
