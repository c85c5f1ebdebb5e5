// A shape is made in two steps. First it is built to look right: a stepped pile of the asked
// number of pieces, then reshaped by annealing against a few named penalties (shape_looks)
// that describe what a hand-built board looks like. Then it is rated; a shape that falls
// short is mended by moving a piece (or a mirrored pair) at a time, each move chosen among
// the likeliest ones by rating them. Every random choice comes from one generator seeded by
// the seed, so the same request gives the same shape.
#include "solve/layout_generator.h"

#include <algorithm>
#include <string>

#include "solve/shape_judging.h"
#include "solve/shape_looks.h"
#include "solve/shape_mending.h"

using namespace shape_search;

namespace {

// A new shape: a stepped pile of a random steepness within random outlines, annealed to
// look right.
Layout fresh_shape(const ShapeRequest &request, double row_weight, Dice &dice, Judge &judge)
{
    judge.charge_shape_steps(anneal_steps);
    Plan plan;
    stepped_counts(plan, request.pieces, request.layers, 0.45 + 0.2 * dice.unit());
    draw_outlines(plan, request.mirror, dice);
    MoveRules rules{request.layers, request.mirror};
    return anneal_looks(stepped_pile(request, plan, dice), plan, row_weight, rules, dice,
                        judge.cancel_flag());
}

}  // namespace

std::string request_problem(const ShapeRequest &request)
{
    if (request.layers < 1 || request.layers > layers)
        return "the layers must be from 1 to 6";
    if (request.pieces < 2 || request.pieces % 2 != 0)
        return "the piece count must be even and at least 2 (pieces are taken in pairs)";
    if (request.pieces > layer_cells * request.layers)
        return std::to_string(request.layers) + " layer(s) hold at most " +
               std::to_string(layer_cells * request.layers) + " pieces";
    return "";
}

bool is_mirrored(const Layout &shape)
{
    for (int i = 0; i < Layout::cell_count; i++)
        if ((shape.cell(i) != 0) != (shape.cell(twin(i)) != 0))
            return false;
    return true;
}


SearchResult generate_layout(const ShapeRequest &request, const SearchOptions &options)
{
    Judge judge(options);
    Tracker tracker(judge, options);
    Dice dice(options.seed);
    MoveRules rules{request.layers, request.mirror};
    // Rounds of a few new shapes, each that falls short asking the next for shorter rows,
    // after which the nearest shape so far is mended until no move brings it nearer.
    const int fresh_shapes = 3;
    double row_weight = 3.0;
    while (!judge.spent()) {
        for (int k = 0; k < fresh_shapes && !judge.spent(); k++) {
            Verdict v;
            if (tracker.try_shape(fresh_shape(request, row_weight, dice, judge), v))
                return tracker.finish();
            row_weight = std::min(6.0, row_weight + 0.5);
        }
        if (mend(tracker.best_shape(), tracker.best_verdict(), rules, judge, tracker))
            break;
    }
    return tracker.finish();
}
