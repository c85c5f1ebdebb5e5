// Fuzz target: the translucent fill (the veil) on random bitmaps, rectangles, colours,
// factors and depths, in each of its forms, against the plain rule of the unit tests, pixel by
// pixel. Every pixel of the bitmap (and of the parent, for a sub-bitmap) must come out as
// the rule says, those outside the clipped rectangle untouched.
#include <allegro.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/translucent.h"
#include "support/veil_rule.h"

namespace {

// The pixel values a depth can hold, as makecol gives them.
uint32_t valid_bits(int depth)
{
    switch (depth) {
    case 8: return 0xFF;
    case 15: return 0x7FFF;
    case 16: return 0xFFFF;
    case 24: return 0xFFFFFF;
    default: return 0xFFFFFF;
    }
}

uint32_t all_bits(int depth)
{
    return depth == 8 ? 0xFF : depth <= 16 ? 0xFFFF : depth == 24 ? 0xFFFFFF : 0xFFFFFFFF;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int depth = in.PickValueInArray({8, 15, 16, 24, 32});
    const VeilForm form = in.PickValueInArray(all_veil_forms);
    const int w = in.ConsumeIntegralInRange(1, 70);
    const int h = in.ConsumeIntegralInRange(1, 40);
    // Sometimes a sub-bitmap, whose rows do not follow each other in memory.
    const bool sub = in.ConsumeBool();
    const int sx = sub ? in.ConsumeIntegralInRange(0, 9) : 0;
    const int sy = sub ? in.ConsumeIntegralInRange(0, 5) : 0;
    const int pw = w + sx + (sub ? in.ConsumeIntegralInRange(0, 9) : 0);
    const int ph = h + sy + (sub ? in.ConsumeIntegralInRange(0, 5) : 0);
    auto coordinate = [&] {
        return in.ConsumeBool() ? in.ConsumeIntegralInRange(-100, 200) : in.ConsumeIntegral<int>();
    };
    const int x = coordinate(), y = coordinate(), width = coordinate(), height = coordinate();
    const int factor = in.ConsumeBool() ? in.ConsumeIntegralInRange(-20, 300)
                                        : in.ConsumeIntegral<int>();
    const uint32_t colour = in.ConsumeIntegral<uint32_t>() & valid_bits(depth);
    uint32_t state = in.ConsumeIntegral<uint32_t>() | 1;

    BITMAP *parent = create_bitmap_ex(depth, pw, ph);
    if (!parent)
        std::abort();
    std::vector<uint32_t> expected(static_cast<size_t>(pw) * ph);
    for (int py = 0; py < ph; py++)
        for (int px = 0; px < pw; px++) {
            state ^= state << 13;  // any bits at all, also those outside the fields
            state ^= state >> 17;
            state ^= state << 5;
            const uint32_t p = state & all_bits(depth);
            putpixel(parent, px, py, static_cast<int>(p));
            expected[py * pw + px] = static_cast<uint32_t>(getpixel(parent, px, py)) & all_bits(depth);
        }
    BITMAP *target = sub ? create_sub_bitmap(parent, sx, sy, w, h) : parent;

    // The rule: clip to the bitmap, then blend or fill what is left.
    long long left = x, top = y, cw = width, ch = height;
    if (left < 0) {
        cw += left;
        left = 0;
    }
    if (top < 0) {
        ch += top;
        top = 0;
    }
    cw = std::min(cw, w - left);
    ch = std::min(ch, h - top);
    if (cw > 0 && ch > 0 && (depth == 15 || depth == 16 || depth == 32))
        for (long long ry = top; ry < top + ch; ry++)
            for (long long rx = left; rx < left + cw; rx++) {
                uint32_t &p = expected[(ry + sy) * pw + (rx + sx)];
                p = veil_rule::veiled(p, colour, depth, factor);
            }

    fill_rect_translucent_in_form(form, target, x, y, width, height, static_cast<int>(colour),
                                  factor);

    for (int py = 0; py < ph; py++)
        for (int px = 0; px < pw; px++) {
            const uint32_t got = static_cast<uint32_t>(getpixel(parent, px, py)) & all_bits(depth);
            if (got != expected[py * pw + px]) {
                std::fprintf(stderr,
                             "veil differs from the rule at (%d, %d) of a %dx%d %d-bit bitmap "
                             "(sub-bitmap %d at %d, %d of %dx%d), form %s, rectangle %d, %d, "
                             "%d x %d, colour 0x%x, factor %d: 0x%x, expected 0x%x\n",
                             px - sx, py - sy, w, h, depth, sub, sx, sy, pw, ph,
                             veil_form_name(form), x, y, width, height, colour, factor, got,
                             expected[py * pw + px]);
                std::abort();
            }
        }
    if (sub)
        destroy_bitmap(target);
    destroy_bitmap(parent);
    return 0;
}
