// The editor's long work: rating, generating and improving a shape. It runs off the editor's
// loop on a copy of the layout and uses the model only (no graphics library), so the loop goes
// on drawing its progress and reading Escape while it runs.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "board/layout.h"
#include "solve/layout_generator.h"
#include "solve/rating.h"

// Deals the editor rates a shape over: as many as generate and improve search with, so that
// R judges a shape as G and I do; about 1.3 points of spread on a share near 95 %, enough to
// tell a shape that plays well from one that does not, in a third of the tool's default time.
constexpr int editor_rating_deals = 300;

struct EditorJob {
    enum class Kind { rate, generate, improve };

    Kind kind = Kind::rate;
    Layout shape{};    // the copy worked on (rate, improve)
    int symbols = 36;  // symbols in the game's strip
    unsigned seed = 1;  // generate: the search's seed

    // Shared with the loop while the work runs.
    std::atomic<bool> cancel{false};    // set by the loop: stop as soon as possible
    std::atomic<bool> finished{false};  // set by the worker last: the results may be read
    std::atomic<int> done{0};           // deals done of `total`, or percent of a search
    std::atomic<int> total{0};
    std::atomic<bool> searching{false};  // generate, improve: still searching shapes

    std::mutex finishing;                // with `ended`: wakes the loop when the work ends
    std::condition_variable ended;

    // Written by the worker, read by the loop only once `finished` is set.
    Rating rating;
    SearchResult result;

    // Does the work, then sets `finished`. Runs on the worker thread (or, in tests, where the
    // test calls it).
    void run();

    // Waits until the work is finished or `most` has passed: the loop's pace while the work
    // runs, so that the work has the cores to itself.
    void wait_for(std::chrono::milliseconds most);

    // The progress line the editor shows while the work runs.
    std::string progress_line() const;
};

// Why a shape cannot be rated (no pieces, an odd count), or "".
std::string rating_problem(const Layout &shape);
