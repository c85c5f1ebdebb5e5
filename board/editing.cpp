#include "board/editing.h"

bool can_place(const Layout &shape, int cell)
{
    const CellPosition p = Layout::position(cell);
    return shape.cell(cell) == 0 && shape.is_supported(p.x, p.y, p.z);
}

bool can_lift(const Layout &shape, int cell)
{
    const CellPosition p = Layout::position(cell);
    return shape.cell(cell) != 0 && (p.z == Layout::layers - 1 || shape.get(p.x, p.y, p.z + 1) == 0);
}

int mirror_cell(int cell)
{
    const CellPosition p = Layout::position(cell);
    return Layout::index(mirror_column(p.x), p.y, p.z);
}

bool place_piece(Layout &shape, int x, int y, int z)
{
    if (shape.get(x, y, z) == 1 || !shape.is_supported(x, y, z))
        return false;
    shape.set(x, y, z, 1);
    return true;
}

bool remove_piece(Layout &shape, int x, int y, int z)
{
    if (shape.get(x, y, z) == 0 || !shape.is_supported(x, y, z))
        return false;
    // Nothing may float: the whole stack above goes too.
    for (int level = z; level < Layout::layers; level++)
        shape.set(x, y, level, 0);
    return true;
}

bool stroke_cell(Layout &shape, int x, int y, int z, int value, bool mirrored)
{
    auto act = [&](int column) {
        return value != 0 ? place_piece(shape, column, y, z) : remove_piece(shape, column, y, z);
    };
    bool changed = act(x);
    if (mirrored)
        changed = act(mirror_column(x)) || changed;
    return changed;
}
