#include "editor/editor_work.h"

#include <cstdio>

namespace {

// The steps of the work as its progress tells them: deals rated of a count, or a search for
// shapes in percent of its budget.
constexpr int rating_deals = 0;
constexpr int searching_shapes = 1;

}  // namespace

void EditorJob::run(BackgroundJob::Control &control)
{
    if (kind == Kind::rate) {
        RatingOptions options;
        options.deals = editor_rating_deals;
        options.symbols = symbols;
        options.cancel = control.cancel_flag();
        const int total = options.deals;
        control.report({0, total, rating_deals});
        options.progress = [&control, total](int deals_done) {
            control.report({deals_done, total, rating_deals});
        };
        rating = rate_layout(shape, options);
    } else {
        SearchOptions options;
        options.symbols = symbols;
        options.seed = seed;
        options.cancel = control.cancel_flag();
        control.report({0, 100, searching_shapes});
        options.progress = [&control](const SearchProgress &p) {
            if (p.final)
                control.report({p.deals_done, p.deals, rating_deals});
            else
                control.report({static_cast<int>(100 * p.budget_used), 100, searching_shapes});
        };
        result = kind == Kind::generate ? generate_layout(ShapeRequest{}, options)
                                        : improve_layout(shape, options);
    }
}

std::string EditorJob::progress_line(const JobProgress &progress, bool cancelling) const
{
    char line[128];
    const char *what = kind == Kind::rate       ? "Rating the shape"
                       : kind == Kind::generate ? "Making a shape"
                                                : "Improving the shape";
    if (kind != Kind::rate && progress.stage == searching_shapes)
        std::snprintf(line, sizeof line, "%s: %3i %% of the search ... (Escape cancels)", what,
                      progress.done);
    else
        std::snprintf(line, sizeof line, "%s: deal %i of %i ... (Escape cancels)", what,
                      progress.done, progress.total);
    if (cancelling)
        std::snprintf(line, sizeof line, "Cancelling ...");
    return line;
}

std::string rating_problem(const Layout &shape)
{
    if (shape.count == 0)
        return "The shape has no pieces: there is nothing to deal.";
    if (shape.count % 2 != 0)
        return "The shape has an odd number of pieces (" + std::to_string(shape.count) +
               "): pieces are dealt in pairs.";
    return "";
}
