#include "play/keyboard_cursor.h"

#include <cstdlib>

#include "board/constants.h"
#include "board/rules.h"

namespace {

using geometry::cell_height;
using geometry::cell_width;
using geometry::layer_shift_x;
using geometry::layer_shift_y;

// A cell's place across the screen, in pixels from the board's origin.
int across(const CellPosition &p) { return cell_width * p.x - layer_shift_x * p.z; }
int down(const CellPosition &p) { return cell_height * p.y - layer_shift_y * p.z; }

// Order along a row: by the place across, and at equal places the higher layer first.
bool before_in_row(const CellPosition &a, const CellPosition &b)
{
    return across(a) < across(b) || (across(a) == across(b) && a.z > b.z);
}

int step_along_row(const Layout &board, int cell, bool right)
{
    const CellPosition from = Layout::position(cell);
    int best = cell;
    CellPosition best_at{};
    for (int i = 0; i < Layout::cell_count; i++) {
        const CellPosition p = Layout::position(i);
        if (p.y != from.y || i == cell || !is_free(board, i))
            continue;
        const bool beyond = right ? before_in_row(from, p) : before_in_row(p, from);
        if (!beyond)
            continue;
        const bool nearer =
            best == cell || (right ? before_in_row(p, best_at) : before_in_row(best_at, p));
        if (nearer) {
            best = i;
            best_at = p;
        }
    }
    return best;
}

int step_across_rows(const Layout &board, int cell, bool upwards)
{
    const CellPosition from = Layout::position(cell);
    int best = cell, best_row = 0, best_gap = 0;
    CellPosition best_at{};
    for (int i = 0; i < Layout::cell_count; i++) {
        const CellPosition p = Layout::position(i);
        if ((upwards ? p.y >= from.y : p.y <= from.y) || !is_free(board, i))
            continue;
        const int row_distance = std::abs(p.y - from.y);
        const int gap = std::abs(across(p) - across(from));
        const bool nearer =
            best == cell || row_distance < best_row ||
            (row_distance == best_row &&
             (gap < best_gap || (gap == best_gap && before_in_row(p, best_at))));
        if (nearer) {
            best = i;
            best_row = row_distance;
            best_gap = gap;
            best_at = p;
        }
    }
    return best;
}

}  // namespace

int cursor_step(const Layout &board, int cell, CursorMove move)
{
    switch (move) {
    case CursorMove::left:
        return step_along_row(board, cell, false);
    case CursorMove::right:
        return step_along_row(board, cell, true);
    case CursorMove::up:
        return step_across_rows(board, cell, true);
    case CursorMove::down:
        return step_across_rows(board, cell, false);
    }
    return cell;
}

int nearest_free_piece(const Layout &board, int cell)
{
    if (is_free(board, cell))
        return cell;
    const CellPosition from = Layout::position(cell);
    int best = -1;
    long best_distance = 0;
    for (int i = 0; i < Layout::cell_count; i++) {
        if (!is_free(board, i))
            continue;
        const CellPosition p = Layout::position(i);
        const long dx = across(p) - across(from), dy = down(p) - down(from);
        const long distance = dx * dx + dy * dy;
        if (best == -1 || distance < best_distance) {
            best = i;
            best_distance = distance;
        }
    }
    return best;
}

int first_free_piece(const Layout &board)
{
    int best = -1;
    CellPosition best_at{};
    for (int i = 0; i < Layout::cell_count; i++) {
        if (!is_free(board, i))
            continue;
        const CellPosition p = Layout::position(i);
        if (best == -1 || p.y < best_at.y || (p.y == best_at.y && before_in_row(p, best_at))) {
            best = i;
            best_at = p;
        }
    }
    return best;
}
