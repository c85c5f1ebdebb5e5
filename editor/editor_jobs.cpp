// The editor's side of its long work (rating, generating, improving): starting a job on a
// copy of the layout, showing its progress while the loop goes on, and taking its result.
#include "editor/editor.h"

#include <cstdio>

#include "app/resources.h"
#include "board/constants.h"
#include "board/layout_check.h"

namespace {

double share(int part, int deals) { return deals > 0 ? 100.0 * part / deals : 0.0; }

}  // namespace

void Editor::begin_work(EditorJob::Kind kind)
{
    if (kind == EditorJob::Kind::rate) {
        std::string problem = rating_problem(layout);
        if (!problem.empty()) {
            inform("This shape cannot be rated:", problem.c_str(), nullptr);
            return;
        }
    }
    if (kind == EditorJob::Kind::improve) {
        std::vector<std::string> problems = layout_problems(layout);
        if (!problems.empty()) {
            std::string first = fit_path(problems[0].c_str(), message_width, font);
            inform("This shape cannot be improved:", first.c_str(),
                   "(improving needs an even count, each piece resting on something)");
            return;
        }
    }
    if (kind == EditorJob::Kind::generate && has_unsaved_changes()) {
        const bool replace = confirm_discard("Replace it with a new shape?", "&Replace", 'r');
        after_modal();
        if (!replace)
            return;
    }
    close_stroke();
    job = std::make_shared<EditorJob>();
    job->kind = kind;
    job->shape = layout;  // the worker's own copy
    job->symbols = symbols_in_strip(resources.symbol_strip->w);
    if (kind == EditorJob::Kind::generate)
        job->seed = static_cast<unsigned>(shapes_generated + 1);
    leave_after_work = false;
    stage = Stage::working;
    needs_redraw = true;
    std::shared_ptr<EditorJob> running = job;
    worker.start([running](BackgroundJob::Control &control) { running->run(control); },
                 start_work);
}

// While work runs: its progress line, Escape to cancel, the close button to cancel and then
// leave as it does otherwise.
void Editor::keep_working(const InputState &in)
{
    if (in.close_requested) {
        worker.cancel();
        leave_after_work = true;
    }
    if (keys.read(in).has(EditorKey::leave))
        worker.cancel();
    if (!worker.take_finished()) {
        if (needs_redraw ||
            job->progress_line(worker.progress(), worker.cancelled()) != progress_shown)
            show_frame();
        // Work on a thread of its own has the cores, the loop looks in about 60 times a second.
        worker.wait_for(std::chrono::milliseconds(16));
        return;
    }
    finish_work();
}

// The work is done: its result goes into the editor, unless it was cancelled.
void Editor::finish_work()
{
    std::shared_ptr<EditorJob> done = std::move(job);
    needs_redraw = true;
    after_modal();
    if (leave_after_work) {
        leave_or_stay();
        return;
    }
    if (worker.cancelled())
        return;
    switch (done->kind) {
    case EditorJob::Kind::rate:
        show_rating(done->rating);
        break;
    case EditorJob::Kind::generate:
        shapes_generated++;
        take_generated(done->result);
        break;
    case EditorJob::Kind::improve:
        take_improved(done->result);
        break;
    }
}

void Editor::show_rating(const Rating &r)
{
    char first[96], second[96], third[96];
    std::snprintf(first, sizeof first, "%i deals of this shape rated:", r.deals);
    std::snprintf(second, sizeof second, "%.1f %% can be cleared, %.1f %% are impossible, %.1f %% "
                  "undecided;", share(r.cleared, r.deals), share(r.stuck, r.deals),
                  share(r.unknown, r.deals));
    std::snprintf(third, sizeof third, "a player taking the first pair clears %.1f %%.",
                  share(r.first_pair, r.deals));
    inform(first, second, third);
}

// A made or mended shape replaces the layout as one step of the history; a search that fell
// short leaves the layout as it was and says so. True when the shape was taken.
bool Editor::take_shape(const SearchResult &r, const char *none_found)
{
    if (!r.reached) {
        char best[96];
        std::snprintf(best, sizeof best, "within the search (the best cleared %.1f %%);",
                      r.search_share);
        inform(none_found, best, "the layout is unchanged.");
        return false;
    }
    const Layout before = layout;
    layout = r.shape;
    history.record(before, layout);
    return true;
}

void Editor::take_generated(const SearchResult &r)
{
    const std::string none = "No shape that clears " + percent_text(default_min_clear) +
                             " % of its deals was found";
    take_shape(r, none.c_str());
}

void Editor::take_improved(const SearchResult &r)
{
    const std::string none =
        "No mend that clears " + percent_text(default_min_clear) + " % of the deals was found";
    if (!take_shape(r, none.c_str()))
        return;
    char moved[96], shares[96], deals[96];
    std::snprintf(moved, sizeof moved, "Pieces moved: %i.", r.moved);
    std::snprintf(shares, sizeof shares, "Deals that can be cleared: %.1f %% before, %.1f %% after",
                  share(r.before.cleared, r.before.deals),
                  share(r.final_rating.cleared, r.final_rating.deals));
    std::snprintf(deals, sizeof deals, "(%i deals each).", r.final_rating.deals);
    inform(moved, shares, deals);
}
