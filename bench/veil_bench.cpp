// How fast the veil is, set against what bounds it and what a programmer would use instead,
// all on 640 x 480 memory bitmaps: the veil in each form, a plain blit (the memory floor),
// the library's own translucent fill, pixman's solid OVER composite, and whole board frames.
#include "bench/veil_bench.h"

#include <allegro.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstddef>
#include <cstdint>
#include <immintrin.h>
#include <string>

#include "board/geometry.h"
#include "board/layout.h"
#include "render/game_frame.h"
#include "render/translucent.h"
#include "support/headless.h"
#include "support/veil_rule.h"

namespace {

constexpr int width = 640, height = 480;
constexpr int veil_factor = 100;  // a typical shading factor: a blend, not the solid case

BITMAP *picture(int depth) { return smooth_frame_picture(depth); }

int dark_blue(int depth) { return makecol_depth(depth, 0, 0, 128); }

void veil(benchmark::State &state, VeilForm form, int depth)
{
    if (!veil_form_available(form)) {
        state.SkipWithError("this processor cannot run the form");
        return;
    }
    BITMAP *b = picture(depth);
    for (auto _ : state) {
        fill_rect_translucent_in_form(form, b, 0, 0, width, height, dark_blue(depth),
                                      veil_factor);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(b);
}

// Every byte of the bitmap read and written back in place with the widest vectors the
// processor has, and nothing else done to it: the floor for any in-place pass such as the
// veil, which a blit (reading one bitmap, writing another) is not quite.
__attribute__((target("avx2"))) void touch_avx2(unsigned char *p, std::size_t bytes)
{
    for (std::size_t i = 0; i + 32 <= bytes; i += 32) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + i));
        asm volatile("" : "+x"(v));  // kept as it is, yet the compiler cannot drop the pass
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p + i), v);
    }
}

__attribute__((target("avx512f"))) void touch_avx512(unsigned char *p, std::size_t bytes)
{
    for (std::size_t i = 0; i + 64 <= bytes; i += 64) {
        __m512i v = _mm512_loadu_si512(p + i);
        asm volatile("" : "+v"(v));
        _mm512_storeu_si512(p + i, v);
    }
}

void in_place(benchmark::State &state, int depth)
{
    BITMAP *b = picture(depth);
    const std::size_t bytes =
        static_cast<std::size_t>(width) * height * (depth == 32 ? 4 : 2);
    const bool wide = veil_form_available(VeilForm::avx512);
    for (auto _ : state) {
        if (wide)
            touch_avx512(b->line[0], bytes);
        else
            touch_avx2(b->line[0], bytes);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(b);
}

void plain_blit(benchmark::State &state, int depth)
{
    BITMAP *from = picture(depth);
    BITMAP *to = create_bitmap_ex(depth, width, height);
    for (auto _ : state) {
        blit(from, to, 0, 0, 0, 0, width, height);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(from);
    destroy_bitmap(to);
}

// What the library offers for the same job: its blender in translucent drawing mode.
void library_translucent(benchmark::State &state, int depth)
{
    BITMAP *b = picture(depth);
    set_trans_blender(0, 0, 0, veil_factor);
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    for (auto _ : state) {
        rectfill(b, 0, 0, width - 1, height - 1, dark_blue(depth));
        benchmark::ClobberMemory();
    }
    solid_mode();
    destroy_bitmap(b);
}

// pixman's layout for each pixel size. Its solid OVER is fast onto x8r8g8b8 but slow onto
// x8b8g8r8, so it is handed the layout with the highest field called red whatever the
// library calls it, and the colour field by field from the library's pixel value: the
// colour lands in the same bits either way.
pixman_format_code_t pixman_format(int depth)
{
    return depth == 15 ? PIXMAN_x1r5g5b5 : depth == 16 ? PIXMAN_r5g6b5 : PIXMAN_x8r8g8b8;
}

pixman_color_t pixman_colour(int depth, int pixel, int factor)
{
    const auto f = veil_rule::fields_of(depth);
    const int alpha = factor * 257;
    auto premultiplied = [&](veil_rule::Field field) {
        const int value = (pixel >> field.shift) & field.max;
        return static_cast<std::uint16_t>(value * 65535 / field.max * alpha / 65535);
    };
    return {premultiplied(f[0]), premultiplied(f[1]), premultiplied(f[2]),
            static_cast<std::uint16_t>(alpha)};
}

// pixman's OVER of a solid dark blue, at the veil's weight, onto the same pixels in place.
void pixman_over(benchmark::State &state, int depth)
{
    BITMAP *b = picture(depth);
    const int stride = static_cast<int>(b->line[1] - b->line[0]);
    pixman_image_t *target = pixman_image_create_bits(
        pixman_format(depth), width, height, reinterpret_cast<std::uint32_t *>(b->line[0]),
        stride);
    const pixman_color_t blue = pixman_colour(depth, dark_blue(depth), veil_factor);
    pixman_image_t *colour = pixman_image_create_solid_fill(&blue);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, colour, nullptr, target, 0, 0, 0, 0, 0, 0,
                                 width, height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(colour);
    pixman_image_unref(target);
    destroy_bitmap(b);
}

// A 144-piece board as dealing leaves it: 84 pieces on layer 0, then 40, 12 and 6 on
// layers 1 to 3 and the last two on layer 4 (top layer 4), or one on each of layers 4 and 5
// (top layer 5), every piece resting on another, symbols in pairs.
int deal_stand_in_board(int layers)
{
    layout.clear();
    struct Block {
        int x0, x1, y0, y1, z;
    };
    const Block blocks[] = {{0, 11, 0, 6, 0}, {1, 10, 1, 4, 1}, {3, 8, 2, 3, 2},
                            {4, 6, 2, 3, 3}};
    int n = 0;
    for (const Block &b : blocks)
        for (int z = b.z, y = b.y0; y <= b.y1; y++)
            for (int x = b.x0; x <= b.x1; x++, n++)
                layout.set(x, y, z, n / 2 % 36 + 1);
    if (layers == 5) {
        layout.set(5, 2, 4, 1);
        layout.set(5, 3, 4, 1);
    } else {
        layout.set(5, 2, 4, 1);
        layout.set(5, 2, 5, 1);
    }
    return layers - 1;  // the top layer
}

// One whole board frame as the game loop composes it into the back buffer: the background,
// the board with its veils and a selected piece, and the count line (the tests' stand-in
// pictures and font).
void board_frame(benchmark::State &state, int depth, int layers)
{
    set_color_depth(depth);
    FakeResources pictures;
    BITMAP *buffer = create_bitmap(width, height);
    const int top_layer = deal_stand_in_board(layers);
    const int shading_step = 10 * (7 - top_layer);
    if (layout.count != 144)
        state.SkipWithError("the stand-in board does not hold 144 pieces");
    for (auto _ : state) {
        compose_game_frame(buffer, geometry::board_origin(width, height), top_layer,
                           shading_step, Layout::index(5, 3, 1));
        benchmark::ClobberMemory();
    }
    layout.clear();
    destroy_bitmap(buffer);
}

}  // namespace

void register_veil_benchmarks()
{
    const int depths[] = {15, 16, 32};
    for (int depth : depths) {
        const std::string d = std::to_string(depth);
        for (VeilForm form : all_veil_forms)
            benchmark::RegisterBenchmark(("veil/" + std::string(veil_form_name(form)) + "/" + d)
                                             .c_str(),
                                         veil, form, depth);
        benchmark::RegisterBenchmark(("blit/" + d).c_str(), plain_blit, depth);
        if (veil_form_available(VeilForm::avx2))
            benchmark::RegisterBenchmark(("in_place/" + d).c_str(), in_place, depth);
        benchmark::RegisterBenchmark(("library_trans/" + d).c_str(), library_translucent,
                                     depth);
        benchmark::RegisterBenchmark(("pixman_over/" + d).c_str(), pixman_over, depth);
    }
    for (int depth : {16, 32})
        for (int layers : {5, 6})
            benchmark::RegisterBenchmark(
                ("board_frame/" + std::to_string(layers) + "_layers/" + std::to_string(depth))
                    .c_str(),
                board_frame, depth, layers);
}

BITMAP *smooth_frame_picture(int depth)
{
    BITMAP *b = create_bitmap_ex(depth, width, height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            putpixel(b, x, y, makecol_depth(depth, x * 255 / width, y * 255 / height, 128));
    return b;
}
