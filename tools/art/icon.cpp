// The game's icon: three pieces stacked as on the board, each layer 10 left and 7 up from
// the one below and the lower ones shaded, with a symbol on the top face. One drawing for
// every size, from 16 pixels up.
#include <cstring>

#include "art/art.h"

namespace art {

namespace {

const char *const icon_symbol = "braces";
constexpr int layers = 3;

}  // namespace

Canvas game_icon(int size)
{
    Canvas c(size, size);
    // The stack, in piece pixels, spans from the top piece's corner to the bottom piece's
    // far corner; a margin of about one pixel in 32 is left around it.
    const double span_x = piece_width + 10.0 * (layers - 1);
    const double span_y = piece_height + 7.0 * (layers - 1);
    const double scale = size / (span_x * 1.06);
    const double left = (size - span_x * scale) / 2, top = (size - span_y * scale) / 2;
    const Shape all = box(0, 0, size, size);
    for (int z = 0; z < layers; z++) {
        if (z > 0) {
            c.set_origin(0, 0);
            c.tint(all, rgb(0, 0, 128), 0.16);
        }
        const double x = left + 10.0 * (layers - 1 - z) * scale;
        const double y = top + 7.0 * (layers - 1 - z) * scale;
        c.set_origin(x, y, scale);
        paint_piece(c);
        if (z == layers - 1) {
            // A little larger than on the board, so that it still reads at small sizes.
            c.set_origin(x + face_width / 2.0 * scale, y + face_height / 2.0 * scale,
                         scale * 1.15);
            for (const Symbol &s : symbol_list())
                if (std::strcmp(s.name, icon_symbol) == 0)
                    s.draw(c);
        }
    }
    return c;
}

}  // namespace art
