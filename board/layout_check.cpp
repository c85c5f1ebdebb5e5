#include "board/layout_check.h"

namespace {

// "(x, y, z), (x, y, z) ... and N more", naming at most the first eight cells.
std::string cell_list(const std::vector<int> &cells)
{
    const size_t shown = 8;
    std::string list;
    for (size_t k = 0; k < cells.size() && k < shown; k++) {
        const CellPosition c = Layout::position(cells[k]);
        list += (k ? ", (" : "(") + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " +
                std::to_string(c.z) + ")";
    }
    if (cells.size() > shown)
        list += " and " + std::to_string(cells.size() - shown) + " more";
    return list;
}

}  // namespace

std::vector<std::string> layout_problems(const Layout &shape)
{
    std::vector<std::string> problems;
    if (shape.count == 0)
        problems.push_back("no pieces");
    else if (shape.count % 2 != 0)
        problems.push_back("odd count: " + std::to_string(shape.count) +
                           " pieces can never all be paired");

    std::vector<int> unsupported, odd_values;
    for (int z = 0; z < Layout::layers; z++)
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                int v = shape.get(x, y, z);
                if (v != 0 && !shape.is_supported(x, y, z))
                    unsupported.push_back(Layout::index(x, y, z));
                if (v > 1)
                    odd_values.push_back(Layout::index(x, y, z));
            }
    if (!unsupported.empty())
        problems.push_back(std::to_string(unsupported.size()) +
                           " piece(s) resting on nothing (empty cell below): " +
                           cell_list(unsupported));
    if (!odd_values.empty())
        problems.push_back(std::to_string(odd_values.size()) +
                           " cell(s) holding values other than 0 and 1: " +
                           cell_list(odd_values));
    return problems;
}

int layers_used(const Layout &shape)
{
    int used = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        if (shape.cell(i) != 0)
            used |= 1 << Layout::position(i).z;
    return used;
}

int top_layer(const Layout &shape)
{
    for (int i = Layout::cell_count - 1; i >= 0; i--)
        if (shape.cell(i) != 0)
            return Layout::position(i).z;
    return -1;
}
