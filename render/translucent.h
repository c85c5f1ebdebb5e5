// Lays a colour over a rectangle of a bitmap with a weight, so what lies beneath shows through.
#pragma once

#include <allegro.h>

// Blends colour (in the bitmap's own pixel format) over the rectangle at (x, y) of the given
// width and height, clipped to the bitmap, with factor 0 (no change) to 255 (the colour
// alone). Factors of 0 or below draw nothing; so do bitmaps that are not 15, 16 or 32 bits.
void fill_rect_translucent(BITMAP *bitmap, int x, int y, int width, int height, int colour,
                           int factor);
