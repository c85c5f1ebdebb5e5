#include "editor/editor_work.h"

#include <cstdio>

void EditorJob::run()
{
    if (kind == Kind::rate) {
        RatingOptions options;
        options.deals = editor_rating_deals;
        options.symbols = symbols;
        options.cancel = &cancel;
        total = options.deals;
        options.progress = [this](int deals_done) { done = deals_done; };
        rating = rate_layout(shape, options);
    } else {
        SearchOptions options;
        options.symbols = symbols;
        options.seed = seed;
        options.cancel = &cancel;
        searching = true;
        total = 100;
        options.progress = [this](const SearchProgress &p) {
            searching = !p.final;
            if (p.final) {
                total = p.deals;
                done = p.deals_done;
            } else {
                done = static_cast<int>(100 * p.budget_used);
            }
        };
        result = kind == Kind::generate ? generate_layout(ShapeRequest{}, options)
                                        : improve_layout(shape, options);
    }
    {
        std::lock_guard<std::mutex> lock(finishing);
        finished.store(true, std::memory_order_release);
    }
    ended.notify_all();
}

void EditorJob::wait_for(std::chrono::milliseconds most)
{
    std::unique_lock<std::mutex> lock(finishing);
    ended.wait_for(lock, most, [this] { return finished.load(std::memory_order_acquire); });
}

std::string EditorJob::progress_line() const
{
    char line[128];
    const char *what = kind == Kind::rate       ? "Rating the shape"
                       : kind == Kind::generate ? "Making a shape"
                                                : "Improving the shape";
    if (kind != Kind::rate && searching)
        std::snprintf(line, sizeof line, "%s: %3i %% of the search ... (Escape cancels)", what,
                      done.load());
    else
        std::snprintf(line, sizeof line, "%s: deal %i of %i ... (Escape cancels)", what,
                      done.load(), total.load());
    if (cancel)
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
