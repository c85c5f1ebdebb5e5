#include "solve/shape_mending.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "board/layout_check.h"
#include "solve/shape_looks.h"

namespace shape_search {

namespace {

// The layer counts and the floor of a shape, as the plan it keeps to while it is mended.
Plan own_plan(const Layout &shape)
{
    Plan plan;
    for (int i = 0; i < Layout::cell_count; i++)
        plan.pieces[z_of(i)] += shape.cell(i) != 0;
    for (int i = 0; i < Layout::cell_count; i++)
        plan.outline[i] = shape.cell(i) != 0;
    return plan;
}

// How likely a mended shape is to be cleared more often, with its looks: short rows and
// low stacks are what most often let more deals be cleared.
double mending_penalty(const Looks &looks)
{
    return looks.penalty(4.0) + 1.0 * looks.stacked;
}

// The shapes one move away that the tracker has not rated yet, likeliest first, at most
// `count` of them.
std::vector<Layout> likeliest_moves(const Layout &shape, const MoveRules &rules,
                                    const Plan &plan, const Tracker &tracker, size_t count,
                                    Judge &judge)
{
    std::vector<std::pair<double, Layout>> moves;
    for (int from : cells_where(shape, rules, true)) {
        Layout lifted = shape;
        lifted.set_cell(from, 0);
        if (rules.mirror)
            lifted.set_cell(twin(from), 0);
        for (int to : cells_where(lifted, rules, false)) {
            Layout next = shape;
            if (apply_move(next, Move{from, to}, rules) && !tracker.seen(next))
                moves.push_back({mending_penalty(shape_looks(next, plan)), next});
        }
    }
    judge.charge_shape_steps(static_cast<long>(moves.size()));
    std::stable_sort(moves.begin(), moves.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Layout> likeliest;
    for (size_t k = 0; k < moves.size() && k < count; k++)
        likeliest.push_back(moves[k].second);
    return likeliest;
}

}  // namespace

bool mend(Layout shape, Verdict verdict, const MoveRules &rules, Judge &judge, Tracker &tracker)
{
    const size_t batch = 6, most = 24;  // moves rated before taking the nearest, at most
    Plan plan = own_plan(shape);
    while (!judge.spent()) {
        std::vector<Layout> moves = likeliest_moves(shape, rules, plan, tracker, most, judge);
        bool found = false;
        Layout nearest;
        Verdict nearest_verdict = verdict;
        for (size_t k = 0; k < moves.size() && !judge.spent(); k++) {
            if (found && k % batch == 0)
                break;
            // Rated through only while it may still beat the nearest so far.
            double allowed = nearest_verdict.complete ? nearest_verdict.expected_failures() - 0.1
                                                      : judge.allowed();
            Verdict v;
            if (tracker.try_shape(moves[k], allowed, v))
                return true;
            if (nearer(v, nearest_verdict)) {
                found = true;
                nearest = moves[k];
                nearest_verdict = v;
            }
        }
        if (!found)
            return false;
        shape = nearest;
        verdict = nearest_verdict;
    }
    return false;
}

}  // namespace shape_search

using namespace shape_search;

SearchResult improve_layout(const Layout &input, const SearchOptions &options)
{
    Judge judge(options);
    Tracker tracker(judge, options);
    // The input is rated through, so that one already clearing often enough stays as it is.
    Verdict v;
    bool reached = tracker.try_shape(input, options.deals, v);
    Rating before = reached ? tracker.finish().final_rating : judge.final_rating(input);
    // The layers the input reaches from the bottom, which mending keeps to.
    MoveRules rules{top_layer(input) + 1, is_mirrored(input)};
    // Mending again from the nearest shape tries the moves not rated yet.
    for (int rated = 0; !reached && !judge.spent() && tracker.shapes_rated() > rated;) {
        rated = tracker.shapes_rated();
        reached = mend(tracker.best_shape(), tracker.best_verdict(), rules, judge, tracker);
    }
    SearchResult result = tracker.finish();
    result.before = before;
    for (int i = 0; i < Layout::cell_count; i++)
        result.moved += result.shape.cell(i) != 0 && input.cell(i) == 0;
    return result;
}
