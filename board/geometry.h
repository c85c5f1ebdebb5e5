// Where the board lies on the screen: the cell pitch, the shift of each layer and the origin.
// Shared by the piece rules, board drawing and the editor so that all three agree.
#pragma once

#include "board/constants.h"

namespace geometry {

// Division that rounds toward minus infinity, for mapping points left of or above the grid.
constexpr int floor_div(int a, int b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

struct Point {
    int x;
    int y;
};

// Where the corner of cell (0, 0, 0) lies on a screen of the given size: the grid centred,
// with divisions truncating toward zero. (20, 117) on a 640 x 480 screen.
constexpr Point board_origin(int screen_w, int screen_h)
{
    return {(screen_w - grid_width) / 2, (screen_h - grid_height) / 2};
}

// Top-left pixel of cell (x, y) of layer z for a board whose origin is o.
constexpr Point cell_corner(Point o, int x, int y, int z)
{
    return {o.x + cell_width * x - layer_shift_x * z, o.y + cell_height * y - layer_shift_y * z};
}

// Column and row of layer z under the point (px, py), which may lie outside the grid.
constexpr Point cell_under(Point o, int px, int py, int z)
{
    return {floor_div(px - o.x + layer_shift_x * z, cell_width),
            floor_div(py - o.y + layer_shift_y * z, cell_height)};
}

constexpr bool inside_grid(Point cell)
{
    return cell.x >= 0 && cell.x < 12 && cell.y >= 0 && cell.y < 7;
}

}  // namespace geometry
