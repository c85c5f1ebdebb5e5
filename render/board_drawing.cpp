#include "render/board_drawing.h"

#include "app/resources.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "render/screen_look.h"
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

void draw_hint_frame(BITMAP *target, int px, int py)
{
    const int gold = makecol(255, 200, 0), dark = makecol(40, 20, 0);
    const int x0 = px - 2, y0 = py - 2;
    const int x1 = px + geometry::cell_width + 2, y1 = py + geometry::cell_height + 2;
    // Dashes of four pixels along each side, counted from the corners, on both rings.
    for (int ring = 0; ring < 2; ring++) {
        const int l = x0 + ring, t = y0 + ring, r = x1 - ring, b = y1 - ring;
        for (int x = l; x <= r; x++) {
            const int colour = (x - l) / 4 % 2 == 0 ? gold : dark;
            putpixel(target, x, t, colour);
            putpixel(target, x, b, colour);
        }
        for (int y = t; y <= b; y++) {
            const int colour = (y - t) / 4 % 2 == 0 ? gold : dark;
            putpixel(target, l, y, colour);
            putpixel(target, r, y, colour);
        }
    }
}

void draw_cursor_frame(BITMAP *target, int px, int py)
{
    const int white = makecol(255, 255, 255), edge = makecol(20, 20, 30);
    const int x0 = px - 4, y0 = py - 4;
    const int x1 = px + geometry::cell_width + 4, y1 = py + geometry::cell_height + 4;
    const int arm = 12;
    // Each bracket: an L of three-pixel bars, with a one-pixel dark edge around it.
    auto bracket = [&](int cx, int cy, int sx, int sy) {
        rectfill(target, cx - sx, cy - sy, cx + sx * arm, cy + sy * 3, edge);
        rectfill(target, cx - sx, cy - sy, cx + sx * 3, cy + sy * arm, edge);
        rectfill(target, cx, cy, cx + sx * (arm - 1), cy + sy * 2, white);
        rectfill(target, cx, cy, cx + sx * 2, cy + sy * (arm - 1), white);
    };
    bracket(x0, y0, 1, 1);
    bracket(x1, y0, -1, 1);
    bracket(x0, y1, 1, -1);
    bracket(x1, y1, -1, -1);
}

void draw_piece(BITMAP *target, int px, int py, int symbol)
{
    draw_sprite(target, resources.piece_image, px, py);
    masked_blit(resources.symbol_strip, target, symbol_size * (symbol - 1), 0, px + symbol_offset_x,
                py + symbol_offset_y, symbol_size, symbol_size);
}

void draw_board(BITMAP *target, int ox, int oy, int top_layer, int shading_step,
                int selected_cell)
{
    draw_board(target, ox, oy, top_layer, shading_step, selected_cell, BoardMarks());
}

void draw_board(BITMAP *target, int ox, int oy, int top_layer, int shading_step,
                int selected_cell, const BoardMarks &marks)
{
    bool hinted[Layout::cell_count] = {};
    for (int cell : marks.hinted)
        if (cell >= 0 && cell < Layout::cell_count)
            hinted[cell] = true;
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
                if (hinted[i])
                    draw_hint_frame(target, corner.x, corner.y);
                if (i == marks.cursor)
                    draw_cursor_frame(target, corner.x, corner.y);
            }
    }
}
