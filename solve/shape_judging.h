// Judging shapes by their deals, as the layout tool's `rate` judges them, against a budget of
// work: a quick screening of the search deals with a small node limit, the full limit only for
// what that leaves open, and the record of the shapes a search has rated. Part of the layout
// generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "solve/layout_generator.h"
#include "solve/rating.h"
#include "solve/solver.h"

namespace shape_search {

// Deals of `deals` that must clear for a share of at least `percent`.
inline int needed_for(double percent, int deals)
{
    return static_cast<int>(std::ceil(percent * deals / 100.0 - 1e-9));
}

// How a shape fares over the search deals, each searched first with a small node limit.
// What that settles (cleared or stuck) the full limit settles the same way, since a search
// with a larger limit goes through the same positions first.
struct Verdict {
    int cleared = 0;             // deals cleared within the small limit
    int stuck = 0;               // deals shown impossible to clear
    std::vector<int> undecided;  // deals (by k) the small limit left open
    bool complete = false;       // every search deal was rated

    // The failures to expect: most deals the small limit leaves open, the full limit clears.
    double expected_failures() const { return stuck + 0.4 * undecided.size(); }
};

// Rates shapes as rate_layout does and keeps count of the work done against the budget.
class Judge {
public:
    explicit Judge(const SearchOptions &options)
        : options_(options), threads_(worker_count(options.threads))
    {
        rating_.deals = options.deals;
        rating_.seed = options.seed;
        rating_.symbols = options.symbols;
        rating_.node_limit = options.node_limit;
        rating_.second_node_limit = options.second_node_limit;
        rating_.threads = threads_;
        rating_.cancel = options.cancel;
        needed_ = needed_for(options.min_clear, options.deals);
        budget_ = options.budget > 0 ? options.budget : default_budget_per_deal * options.deals;
    }

    // Search deals that may fail while the share still reaches min_clear.
    int allowed() const { return options_.deals - needed_; }
    // The share a verdict is sure of: the deals cleared within the small limit.
    double sure_share(const Verdict &v) const { return 100.0 * v.cleared / options_.deals; }
    bool spent() const { return work_ >= budget_ || cancelled(); }
    bool cancelled() const { return options_.cancel && options_.cancel->load(); }
    const std::atomic<bool> *cancel_flag() const { return options_.cancel; }
    // Counts work done outside the deals: about three steps of building or weighing shapes
    // take as long as one search position.
    void charge_shape_steps(long steps) { work_ += steps / 3; }
    double budget_used() const { return std::min(1.0, static_cast<double>(work_) / budget_); }

    // Called after each deal rated: the deals done of the shape at hand, of how many, and
    // whether they belong to a final rating.
    std::function<void(int done, int deals, bool final)> on_deal;

    // Rates the search deals with the small limit, stopping once more than `allowed`
    // failures are to be expected. The deals are solved a batch at a time over the threads
    // and taken in order, so the verdict and the work counted do not depend on the thread
    // count.
    Verdict screen(const Layout &shape, double allowed)
    {
        Verdict v;
        int k = 0;
        while (k < options_.deals && v.expected_failures() <= allowed && !cancelled()) {
            std::vector<int> batch;
            for (int i = k; i < options_.deals && i < k + batch_size(); i++)
                batch.push_back(i);
            std::vector<Solution> solved = solve_all(shape, batch, screen_node_limit);
            if (cancelled())
                break;
            for (size_t i = 0; i < solved.size() && v.expected_failures() <= allowed; i++, k++) {
                SolveResult r = count_work(solved[i]);
                if (on_deal)
                    on_deal(k + 1, options_.deals, false);
                v.cleared += r == SolveResult::cleared;
                v.stuck += r == SolveResult::stuck;
                if (r == SolveResult::unknown)
                    v.undecided.push_back(k);
            }
        }
        v.complete = k == options_.deals && v.expected_failures() <= allowed;
        return v;
    }

    // Whether the share rate_layout gives over the search deals reaches min_clear: the
    // undecided deals are searched with the full limit only while that is still open.
    bool reaches(const Layout &shape, const Verdict &v)
    {
        if (!v.complete)
            return false;
        int cleared = v.cleared, open = static_cast<int>(v.undecided.size());
        for (size_t next = 0; next < v.undecided.size();) {
            if (cleared >= needed_ || cleared + open < needed_ || cancelled())
                break;
            std::vector<int> batch;
            for (size_t i = next; i < v.undecided.size() && batch.size() < size_t(batch_size()); i++)
                batch.push_back(v.undecided[i]);
            std::vector<Solution> solved = solve_all(shape, batch, options_.node_limit);
            if (cancelled())
                break;
            for (size_t i = 0; i < solved.size(); i++, next++) {
                if (cleared >= needed_ || cleared + open < needed_)
                    break;
                cleared += count_work(solved[i]) == SolveResult::cleared;
                open--;
            }
        }
        return cleared >= needed_ && !cancelled();
    }

    // The rating the layout tool's `rate` gives over the final deals.
    Rating final_rating(const Layout &shape)
    {
        RatingOptions final_options = rating_;
        final_options.deals = options_.final_deals;
        final_options.progress = [this](int done) {
            if (on_deal)
                on_deal(done, options_.final_deals, true);
        };
        Rating r = rate_layout(shape, final_options);
        work_ += r.deals * per_deal_work;
        return r;
    }

private:
    // Work is counted in search positions, with a deal's own set-up counted as 60 of them,
    // so that a search ends after the same work on every machine (what the default budget
    // costs in time is in bench/README.md).
    static constexpr long per_deal_work = 60;
    static constexpr long default_budget_per_deal = 8000;
    static constexpr long screen_node_limit = 1500;

    // Deals solved at once: a few for each thread, so that one long deal does not leave
    // the others idle for long, and few wasted when a rating stops early.
    int batch_size() const { return 4 * threads_; }

    // The deals of the given numbers, solved over the threads.
    std::vector<Solution> solve_all(const Layout &shape, const std::vector<int> &ks,
                                    long node_limit) const
    {
        std::vector<Solution> solved(ks.size());
        share_out(static_cast<int>(ks.size()), threads_, options_.cancel, [&](int i) {
            Layout board;
            deal_for_rating(shape, rating_, ks[i], board);
            solved[i] = solve_board(board, node_limit);
        });
        return solved;
    }

    // Counts a deal's work when its outcome is taken.
    SolveResult count_work(const Solution &s)
    {
        work_ += per_deal_work + s.nodes;
        return s.result;
    }

    const SearchOptions &options_;
    int threads_;
    RatingOptions rating_;
    int needed_ = 0;
    long budget_ = 0, work_ = 0;
};
// How near a rated shape came to the share: one rated through with fewer failures to
// expect is nearer; of two whose rating stopped early, the one that cleared more deals first.
inline bool nearer(const Verdict &a, const Verdict &b)
{
    if (a.complete != b.complete)
        return a.complete;
    return a.complete ? a.expected_failures() < b.expected_failures() : a.cleared > b.cleared;
}

// The shapes a search has rated: the nearest one so far, and the one that reached the share.
class Tracker {
public:
    Tracker(Judge &judge, const SearchOptions &options) : judge_(judge), options_(options)
    {
        judge_.on_deal = [this](int done, int deals, bool final) { report(done, deals, final); };
    }

    // Rates a shape, stopping once more than `allowed` failures are to be expected; true
    // when it reaches min_clear over the search deals (and then it has its final rating).
    bool try_shape(const Layout &shape, double allowed, Verdict &v)
    {
        v = judge_.screen(shape, allowed);
        seen_.insert(cells_of(shape));
        result_.shapes_rated++;
        if (result_.shapes_rated == 1 || nearer(v, best_)) {
            best_ = v;
            result_.shape = shape;
        }
        if (!judge_.reaches(shape, v))
            return false;
        result_.reached = true;
        result_.shape = shape;
        result_.final_rating = judge_.final_rating(shape);
        return true;
    }
    bool try_shape(const Layout &shape, Verdict &v)
    {
        return try_shape(shape, judge_.allowed(), v);
    }

    bool seen(const Layout &shape) const { return seen_.count(cells_of(shape)) != 0; }
    int shapes_rated() const { return result_.shapes_rated; }
    const Layout &best_shape() const { return result_.shape; }
    const Verdict &best_verdict() const { return best_; }

    // The outcome: the shape that reached the share, or the nearest one with its share of
    // the search deals as the layout tool's `rate` gives it.
    SearchResult finish()
    {
        result_.cancelled = judge_.cancelled();
        if (!result_.reached && !result_.cancelled) {
            RatingOptions search{};
            search.deals = options_.deals;
            search.seed = options_.seed;
            search.symbols = options_.symbols;
            search.node_limit = options_.node_limit;
            search.cancel = options_.cancel;
            search.threads = options_.threads;
            search.progress = [this](int done) { report(done, options_.deals, true); };
            Rating r = rate_layout(result_.shape, search);
            result_.search_cleared = r.cleared;
            result_.search_share = r.deals > 0 ? 100.0 * r.cleared / r.deals : 0;
        }
        result_.cancelled = judge_.cancelled();
        return result_;
    }

private:
    void report(int done, int deals, bool final) const
    {
        if (!options_.progress)
            return;
        SearchProgress p;
        p.shapes_rated = result_.shapes_rated;
        p.best_share = result_.shapes_rated > 0 ? judge_.sure_share(best_) : 0;
        p.budget_used = judge_.budget_used();
        p.final = final;
        p.deals_done = done;
        p.deals = deals;
        options_.progress(p);
    }

    static std::string cells_of(const Layout &shape)
    {
        return std::string(reinterpret_cast<const char *>(shape.cells), Layout::cell_count);
    }

    Judge &judge_;
    const SearchOptions &options_;
    SearchResult result_;
    Verdict best_;
    std::set<std::string> seen_;  // the cells of every shape rated, so none is rated twice
};

}  // namespace shape_search
