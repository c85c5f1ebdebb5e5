// Lays a colour over a rectangle of a bitmap with a weight, so what lies beneath shows through.
#pragma once

#include <allegro.h>

// Blends colour (in the bitmap's own pixel format) over the rectangle at (x, y) of the given
// width and height, clipped to the bitmap, with factor 0 (no change) to 255 (the colour
// alone). Factors of 0 or below draw nothing; factors above 255 act as 255. Bitmaps that are
// not 15, 16 or 32 bits are left alone.
void fill_rect_translucent(BITMAP *bitmap, int x, int y, int width, int height, int colour,
                           int factor);

// The blend loop comes in several forms that give exactly the same pixels; they differ only
// in speed and in which processors can run them.
enum class VeilForm {
    plain,  // one pixel at a time, any processor
    sse2,   // 128-bit vectors: every x86-64 processor
    avx2,   // 256-bit vectors: x86-64 processors that report AVX2
    avx512, // 512-bit vectors: x86-64 processors that report AVX-512F and AVX-512BW
};

constexpr VeilForm all_veil_forms[] = {VeilForm::plain, VeilForm::sse2, VeilForm::avx2,
                                       VeilForm::avx512};

const char *veil_form_name(VeilForm form);

// True when this build and this processor can run the form.
bool veil_form_available(VeilForm form);

// The form fill_rect_translucent uses: the widest available one.
VeilForm fastest_veil_form();

// fill_rect_translucent with the blend loop in the given form (the plain form when the given
// one is not available), for tests and benchmarks.
void fill_rect_translucent_in_form(VeilForm form, BITMAP *bitmap, int x, int y, int width,
                                   int height, int colour, int factor);
