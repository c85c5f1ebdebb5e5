// The editor's long work: rating, generating and improving a shape. It runs off the editor's
// loop on a copy of the layout and uses the model only (no graphics library), so the loop goes
// on drawing its progress and reading Escape while it runs.
#pragma once

#include <string>

#include "board/constants.h"
#include "board/layout.h"
#include "play/background_job.h"
#include "solve/layout_generator.h"
#include "solve/rating.h"

// Deals the editor rates a shape over: as many as generate and improve search with, so that
// R judges a shape as G and I do; about 1.3 points of spread on a share near 95 %, enough to
// tell a shape that plays well from one that does not, in a third of the tool's default time.
constexpr int editor_rating_deals = 300;

// What the editor's work is to do, on its own copy of the layout, and what it found. It runs
// as the work of the editor's BackgroundJob.
struct EditorJob {
    enum class Kind { rate, generate, improve };

    Kind kind = Kind::rate;
    Layout shape{};    // the copy worked on (rate, improve)
    int symbols = shipped_symbol_count;  // symbols in the game's strip
    unsigned seed = 1;  // generate: the search's seed

    // Written by the work, read by the loop only once the job's end is taken.
    Rating rating;
    SearchResult result;

    // Does the work, reporting its progress to `control` and stopping once it is cancelled.
    void run(BackgroundJob::Control &control);

    // The progress line the editor shows while the work runs.
    std::string progress_line(const JobProgress &progress, bool cancelling) const;
};

// Why a shape cannot be rated (no pieces, an odd count), or "".
std::string rating_problem(const Layout &shape);
