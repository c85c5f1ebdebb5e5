#include "render/board_drawing.h"

#include "app/resources.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "render/translucent.h"

namespace {

// Two-tone frame: the outer one around the whole cell, the inner one a pixel inside it at the
// top and left but two pixels short at the right and bottom.
void draw_selection_frame(BITMAP *target, int px, int py)
{
    rect(target, px, py, px + geometry::cell_width, py + geometry::cell_height,
         makecol(0, 200, 0));
    rect(target, px + 1, py + 1, px + geometry::cell_width - 2, py + geometry::cell_height - 2,
         makecol(0, 150, 0));
}

}  // namespace

void draw_piece(BITMAP *target, int px, int py, int symbol)
{
    draw_sprite(target, resources.piece_image, px, py);
    masked_blit(resources.symbol_strip, target, symbol_size * (symbol - 1), 0, px + symbol_offset_x,
                py + symbol_offset_y, symbol_size, symbol_size);
}

void draw_board(BITMAP *target, int ox, int oy, int top_layer, int shading_step,
                int selected_cell)
{
    const geometry::Point origin{ox, oy};
    for (int z = 0; z < Layout::layers; z++) {
        // Darken everything drawn so far; lower layers collect one veil per layer above them.
        fill_rect_translucent(target, 0, 0, target->w, target->h, makecol(veil_colour.r, veil_colour.g, veil_colour.b),
                              (top_layer - z) * shading_step);
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                const int i = Layout::index(x, y, z);
                const int symbol = layout.cell(i);
                if (symbol == 0)
                    continue;
                const geometry::Point corner = geometry::cell_corner(origin, x, y, z);
                draw_piece(target, corner.x, corner.y, symbol);
                // Straight after its piece, so later pieces overlap the frame as they
                // overlap the piece.
                if (i == selected_cell)
                    draw_selection_frame(target, corner.x, corner.y);
            }
    }
}
