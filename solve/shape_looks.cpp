#include "solve/shape_looks.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace shape_search {

// Layer counts of a stepped pile in which each layer holds `step` times the pieces of the
// one below it.
void stepped_counts(Plan &plan, int pieces, int used_layers, double step)
{
    double weight[layers] = {}, total = 0;
    for (int z = 0; z < used_layers; z++)
        total += weight[z] = std::pow(step, z);
    double carried = 0;  // what a full layer could not hold goes to the next one up
    for (int z = 0; z < used_layers; z++) {
        double want = pieces * weight[z] / total + carried;
        plan.pieces[z] = std::min<double>(want, layer_cells);
        carried = want - plan.pieces[z];
    }
}
namespace {

// One part of a floor outline: an ellipse or a rectangle around a centre.
struct Blob {
    double cx, cy, rx, ry;
    bool round;
    bool covers(int x, int y, double scale) const
    {
        double dx = (x - cx) / (rx * scale), dy = (y - cy) / (ry * scale);
        return round ? dx * dx + dy * dy <= 1.0 : std::fabs(dx) <= 1.0 && std::fabs(dy) <= 1.0;
    }
};

// Marks the cells of layer z that the blobs (and their mirror images) cover at a scale;
// gives how many.
int mark_outline(Plan &plan, int z, const std::vector<Blob> &blobs, bool mirror, double scale)
{
    int covered = 0;
    for (int i = z * layer_cells; i < (z + 1) * layer_cells; i++) {
        bool in = false;
        for (const Blob &b : blobs)
            in = in || b.covers(x_of(i), y_of(i), scale) ||
                 (mirror && b.covers(columns - 1 - x_of(i), y_of(i), scale));
        plan.outline[i] = in;
        covered += in;
    }
    return covered;
}
}  // namespace

// Outlines drawn from the dice, so that seeds give different boards: one to three blobs,
// scaled for each layer until they cover a little more than the layer is to hold. Blobs
// apart from the middle give a board of several peaks.
void draw_outlines(Plan &plan, bool mirror, Dice &dice)
{
    std::vector<Blob> blobs(1 + dice.below(3));
    for (Blob &b : blobs)
        b = Blob{1.5 + 8.0 * dice.unit(), 1.0 + 4.0 * dice.unit(), 1.5 + 3.5 * dice.unit(),
                 1.0 + 2.5 * dice.unit(), dice.below(2) == 0};
    for (int z = 0; z < layers; z++) {
        double want = std::min<double>(layer_cells, std::ceil(plan.pieces[z] * 1.15));
        double scale = 0.05;
        while (scale < 8.0 && mark_outline(plan, z, blobs, mirror, scale) < want)
            scale *= 1.05;
    }
}
namespace {

bool occupied(const Layout &shape, int x, int y, int z)
{
    return x >= 0 && x < columns && y >= 0 && y < rows && shape.get(x, y, z) != 0;
}

// Pieces beside (x, y) in layer z: left, right, in front and behind.
int neighbours(const Layout &shape, int x, int y, int z)
{
    return occupied(shape, x - 1, y, z) + occupied(shape, x + 1, y, z) +
           occupied(shape, x, y - 1, z) + occupied(shape, x, y + 1, z);
}

// Sides of (x, y) that face a cell of the grid rather than its border.
int inner_sides(int x, int y)
{
    return 4 - (x == 0) - (x == columns - 1) - (y == 0) - (y == rows - 1);
}

// Sizes of the groups of floor pieces that touch side by side, largest first.
std::vector<int> floor_groups(const Layout &shape)
{
    std::vector<int> sizes;
    bool seen[layer_cells] = {};
    for (int start = 0; start < layer_cells; start++) {
        if (seen[start] || shape.cell(start) == 0)
            continue;
        int size = 0, stack[layer_cells], top = 0;
        stack[top++] = start;
        seen[start] = true;
        while (top > 0) {
            int i = stack[--top];
            size++;
            const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
            for (int d = 0; d < 4; d++) {
                int nx = x_of(i) + dx[d], ny = y_of(i) + dy[d];
                int n = Layout::index(nx, ny, 0);
                if (occupied(shape, nx, ny, 0) && !seen[n]) {
                    seen[n] = true;
                    stack[top++] = n;
                }
            }
        }
        sizes.push_back(size);
    }
    std::sort(sizes.rbegin(), sizes.rend());
    return sizes;
}

int stray_pieces(const Layout &shape)
{
    std::vector<int> groups = floor_groups(shape);
    int stray = 0;
    for (size_t g = 0; g < groups.size(); g++)
        if (g >= 3 || groups[g] < std::min(6, shape.count))
            stray += groups[g];
    return stray;
}

// Pieces between each piece and the nearer end of its run of pieces in the row.
int buried_pieces(const Layout &shape)
{
    int buried = 0;
    for (int z = 0; z < layers; z++)
        for (int y = 0; y < rows; y++)
            for (int x = 0; x < columns;) {
                int run = 0;
                while (x + run < columns && shape.get(x + run, y, z) != 0)
                    run++;
                for (int k = 0; k < run; k++)
                    buried += std::min(k, run - 1 - k);
                x += run + 1;
            }
    return buried;
}
}  // namespace

Looks shape_looks(const Layout &shape, const Plan &plan)
{
    Looks looks;
    int per_layer[layers] = {};
    for (int i = 0; i < Layout::cell_count; i++) {
        if (shape.cell(i) == 0)
            continue;
        int x = x_of(i), y = y_of(i), z = z_of(i);
        per_layer[z]++;
        for (int above = z + 1; above < layers && shape.get(x, y, above) != 0; above++)
            looks.stacked++;
        looks.outside += !plan.outline[i];
        int beside = neighbours(shape, x, y, z);
        looks.rim += 4 - beside;
        looks.lone += beside == 0;
        int below_open = z > 0 ? inner_sides(x, y) - neighbours(shape, x, y, z - 1) : 0;
        if (z > 0 && (below_open > 0 || inner_sides(x, y) < 4))
            looks.overhang++;
    }
    for (int z = 0; z < layers; z++)
        looks.profile += std::fabs(per_layer[z] - plan.pieces[z]);
    looks.stray = stray_pieces(shape);
    looks.buried = buried_pieces(shape);
    return looks;
}
// A pile of exactly `request.pieces` pieces, each layer about the planned count, laid from
// the middle of the grid outwards (with some noise) on the layer below.
Layout stepped_pile(const ShapeRequest &request, const Plan &plan, Dice &dice)
{
    Layout shape;
    shape.clear();
    MoveRules rules{request.layers, request.mirror};
    int step = request.mirror ? 2 : 1;
    for (int z = 0; z < request.layers && shape.count < request.pieces; z++) {
        std::vector<std::pair<double, int>> order;
        for (int i : cells_where(shape, rules, false))
            if (z_of(i) == z) {
                double dx = x_of(i) - 5.5, dy = (y_of(i) - 3.0) * 1.4;
                double outside = plan.outline[i] ? 0.0 : 100.0;
                order.push_back({dx * dx + dy * dy + 6.0 * dice.unit() + outside, i});
            }
        std::sort(order.begin(), order.end());
        bool top = z == request.layers - 1;
        int goal = static_cast<int>(std::lround(plan.pieces[z])), placed = 0;
        for (size_t k = 0; k < order.size() && shape.count < request.pieces; k++) {
            if (!top && placed + step > goal)
                break;
            placed += step;
            shape.set_cell(order[k].second, 1);
            if (request.mirror)
                shape.set_cell(twin(order[k].second), 1);
        }
    }
    // Whatever the layers asked for could not take goes wherever a piece may go.
    for (int i = 0; i < Layout::cell_count && shape.count < request.pieces; i++)
        if ((!request.mirror || x_of(i) < columns / 2) && placeable(shape, i, request.layers)) {
            shape.set_cell(i, 1);
            if (request.mirror)
                shape.set_cell(twin(i), 1);
        }
    return shape;
}
// Reshapes by annealing: random moves, kept when they look better, and now and then when
// they look a little worse, less and less often as it cools.
Layout anneal_looks(Layout shape, const Plan &plan, double row_weight,
                    const MoveRules &rules, Dice &dice, const std::atomic<bool> *cancel)
{
    const int steps = anneal_steps;
    double penalty = shape_looks(shape, plan).penalty(row_weight);
    Layout best = shape;
    double best_penalty = penalty;
    for (int s = 0; s < steps; s++) {
        if (cancel && s % 256 == 0 && cancel->load(std::memory_order_relaxed))
            break;
        double heat = 3.0 * std::pow(0.02, static_cast<double>(s) / steps);
        Layout next = shape;
        if (!random_move(next, rules, dice))
            continue;
        double p = shape_looks(next, plan).penalty(row_weight);
        if (p <= penalty || dice.unit() < std::exp((penalty - p) / heat)) {
            shape = next;
            penalty = p;
            if (p < best_penalty) {
                best = next;
                best_penalty = p;
            }
        }
    }
    return best;
}

}  // namespace shape_search
