// How a hand-made shape looks: the plan a shape is built towards (layer counts and outlines),
// the penalties that describe a board built by a person, and the making of a shape that keeps
// to them (a stepped pile, then annealing). Part of the layout generator.
#pragma once

#include <atomic>

#include "solve/layout_generator.h"
#include "solve/shape_moves.h"

namespace shape_search {

// What a shape is built towards: how many pieces each layer holds, and the outline each
// layer keeps to.
struct Plan {
    double pieces[layers] = {};
    bool outline[Layout::cell_count] = {};
};

// Layer counts of a stepped pile in which each layer holds `step` times the pieces of the
// one below it.
void stepped_counts(Plan &plan, int pieces, int used_layers, double step);

// Outlines drawn from the dice, so that seeds give different boards: one to three blobs,
// scaled for each layer until they cover a little more than the layer is to hold. Blobs
// apart from the middle give a board of several peaks.
void draw_outlines(Plan &plan, bool mirror, Dice &dice);

// What makes a shape look built by a person, as penalties: lower is better.
struct Looks {
    int rim = 0;       // sides of pieces facing an empty cell of their layer: solid groups have few
    int lone = 0;      // pieces with no neighbour in their layer: scattered pieces
    int stray = 0;     // floor pieces outside the three largest floor groups, or in a group
                       // of fewer than six: pieces far from the rest
    int overhang = 0;  // pieces resting on a piece at the rim of its layer: upper layers
                       // should be narrower than the ones they rest on
    double profile = 0;  // pieces by which the layers miss the counts planned
    int outside = 0;   // pieces outside the planned outline of their layer
    int buried = 0;    // for each piece, the pieces between it and the nearer end of its row:
                       // short rows leave more pieces free to take
    int stacked = 0;   // for each piece, the pieces lying above it: deep stacks lock pieces
                       // away (weighed only when a shape is mended, see mending_penalty)

    // The weights say how much each fault counts against the others. `row_weight` is the
    // weight of buried pieces, raised by the search while shapes fall short of the share.
    double penalty(double row_weight) const
    {
        return 1.0 * rim + 6.0 * lone + 8.0 * stray + 6.0 * overhang + 1.0 * profile +
               3.0 * outside + row_weight * buried;
    }
};

Looks shape_looks(const Layout &shape, const Plan &plan);

// A pile of exactly `request.pieces` pieces, each layer about the planned count, laid from
// the middle of the grid outwards (with some noise) on the layer below.
Layout stepped_pile(const ShapeRequest &request, const Plan &plan, Dice &dice);

// The random moves one annealing makes.
constexpr int anneal_steps = 20000;

// Reshapes by annealing: random moves, kept when they look better, and now and then when
// they look a little worse, less and less often as it cools. Stops early, with the best shape
// so far, once `cancel` is set.
Layout anneal_looks(Layout shape, const Plan &plan, double row_weight,
                    const MoveRules &rules, Dice &dice,
                    const std::atomic<bool> *cancel = nullptr);

}  // namespace shape_search
