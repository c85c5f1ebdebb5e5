// The search that drives the solver: it branches on which pieces are partners, settles each
// position, orders the settled pairs, remembers dead positions and restarts now and then.
#include "solve/solver.h"

#include <algorithm>

#include "solve/search.h"

namespace solving {
namespace {

// The restart sequence 1, 1, 2, 1, 1, 2, 4, 1, 1, 2, 1, 1, 2, 4, 8, ... for i = 1, 2, ...
long luby(long i)
{
    for (long k = 1;; k++) {
        if (i == (1L << k) - 1)
            return 1L << (k - 1);
        if (i < (1L << k) - 1)
            return luby(i - (1L << (k - 1)) + 1);
    }
}

}  // namespace

Search::Search(const Layout &board, long node_limit, long positions_before_cores,
               const std::atomic<bool> *cancel)
    : board_(board), positions_before_cores_(positions_before_cores), cancel_(cancel),
      node_limit_(node_limit)
{
    int id_of[Layout::cell_count];
    std::vector<int> group_of_value(256, -1);
    for (int i = 0; i < Layout::cell_count; i++) {
        id_of[i] = -1;
        int v = board.cell(i);
        if (v == 0)
            continue;
        if (group_of_value[v] < 0) {
            group_of_value[v] = static_cast<int>(groups_.size());
            groups_.emplace_back();
        }
        id_of[i] = static_cast<int>(pieces_.size());
        pieces_.push_back({i, group_of_value[v]});
        slot_.push_back(static_cast<int>(groups_[group_of_value[v]].size()));
        groups_[group_of_value[v]].push_back(id_of[i]);
    }
    for (Piece &p : pieces_) {
        const auto [x, y, z] = Layout::position(p.cell);
        p.at_edge = x == 0 || x == Layout::columns - 1;
        p.stack = x + y * Layout::columns;
        if (z + 1 < Layout::layers)
            p.above = id_of[Layout::index(x, y, z + 1)];
        if (z > 0)
            p.below = id_of[Layout::index(x, y, z - 1)];
        if (x > 0)
            p.left = id_of[Layout::index(x - 1, y, z)];
        if (x + 1 < Layout::columns)
            p.right = id_of[Layout::index(x + 1, y, z)];
    }
    // The piece bits come first, then for each group one bit per pair of its pieces.
    int bits = static_cast<int>(pieces_.size());
    pair_row_.assign(pieces_.size(), 0);
    for (const std::vector<int> &g : groups_) {
        for (int p : g)
            pair_row_[p] = bits + slot_[p] * static_cast<int>(g.size());
        bits += static_cast<int>(g.size() * g.size());
    }
    words_ = (bits + 63) / 64;
    activity_.assign(groups_.size(), 0);
    queued_.assign(groups_.size(), 0);
    for (const Piece &p : pieces_) {
        std::vector<int> near = {p.group};
        for (int n : {p.below, p.above, p.left, p.right})
            if (n >= 0)
                near.push_back(pieces_[n].group);
        if (p.left >= 0 && pieces_[p.left].left >= 0)
            near.push_back(pieces_[pieces_[p.left].left].group);
        if (p.right >= 0 && pieces_[p.right].right >= 0)
            near.push_back(pieces_[pieces_[p.right].right].group);
        concerned_.push_back(near);
    }
}

void Search::bump(int group)
{
    activity_[group] += bump_by_;
    bump_by_ *= 1.05;
    if (bump_by_ > 1e100) {
        for (double &a : activity_)
            a *= 1e-100;
        bump_by_ *= 1e-100;
    }
}

// How many pieces next to or under a and b become free when the two are taken.
int Search::newly_freed(int a, int b, const State &s) const
{
    State after = s;
    clear_bit(after, a);
    clear_bit(after, b);
    int freed = 0;
    for (int p : {a, b})
        for (int n : {pieces_[p].below, pieces_[p].left, pieces_[p].right})
            if (n >= 0 && n != a && n != b && !is_free(n, s) && is_free(n, after))
                freed++;
    return freed;
}

Outcome Search::visit(State s)
{
    const size_t taken_before = taken_.size();
    auto give_up = [&](Outcome outcome) {
        taken_.resize(taken_before);
        return outcome;
    };
    if (!settle(s))
        return give_up(Outcome::stuck);
    if (all_gone(s))
        return Outcome::cleared;
    if (dead_.count(s) != 0)
        return give_up(Outcome::stuck);
    // The limit counts this position too, so that no more than node_limit_ are searched.
    if (nodes_ >= node_limit_ || nodes_ >= restart_at_ ||
        (cancel_ && cancel_->load(std::memory_order_relaxed)))
        return give_up(Outcome::out_of_nodes);
    nodes_++;
    const State key = s;
    if (!order_all_pairs(s)) {
        dead_.insert(key);
        return give_up(Outcome::stuck);
    }
    if (all_gone(s))
        return Outcome::cleared;

    Branch branch = choose_branch(s);
    const Outcome outcome = branch.piece < 0 ? Outcome::stuck : explore(branch, s);
    if (outcome == Outcome::cleared)
        return outcome;
    if (outcome == Outcome::stuck)
        dead_.insert(key);
    return give_up(outcome);
}

// The free piece with a free partner whose value took part in dead ends most often of late,
// with its choices: each free piece it may go with, and waiting for a blocked one when it
// may go with one of those. No piece (-1) when no free piece has a free partner. On every
// other run a piece also counts the pieces under it, as if each had met two more dead ends:
// taking pieces off tall stacks first is what clears boards whose stacks stand over short
// rows, while following the dead ends alone proves boards lost sooner; alternating settles
// more deals than either (bench/README.md). Taking the piece with the fewest choices first
// settles fewer than both.
Search::Branch Search::choose_branch(const State &s)
{
    Branch best;
    double best_activity = -1;
    for (const std::vector<int> &group : groups_)
        for (int a : group) {
            if (!is_free(a, s))
                continue;
            // A little noise breaks ties differently on each restart.
            double act = activity_[pieces_[a].group] + 1e-3 * (next_random() % 1000);
            if (prefer_tall_stacks_)
                for (int under = pieces_[a].below; under >= 0; under = pieces_[under].below)
                    act += on(s, under) ? 2 : 0;
            if (act <= best_activity)
                continue;
            std::vector<int> &partners = partners_;
            partners.clear();
            bool can_wait = false;
            for (int q : group)
                if (q != a && on(s, q) && !forbidden(s, a, q)) {
                    if (is_free(q, s))
                        partners.push_back(q);
                    else
                        can_wait = true;
                }
            if (!partners.empty()) {
                best_activity = act;
                best.piece = a;
                best.partners.swap(partners);
                best.can_wait = can_wait;
            }
        }
    return best;
}

// Takes the branch's piece with each of its free partners in turn, those that free most
// first, and then, when it can wait, goes on without it for now.
Outcome Search::explore(Branch &branch, const State &s)
{
    const int best = branch.piece;
    // Ties broken at random, differently on each restart.
    std::vector<std::pair<int, int>> keyed;
    for (int q : branch.partners)
        keyed.emplace_back(-(newly_freed(best, q, s) * 1000 + static_cast<int>(next_random() % 1000)), q);
    std::sort(keyed.begin(), keyed.end());
    for (size_t i = 0; i < keyed.size(); i++)
        branch.partners[i] = keyed[i].second;
    for (int q : branch.partners) {
        State next = s;
        take(best, q, next);
        Outcome outcome = visit(next);
        if (outcome == Outcome::cleared)
            return outcome;
        taken_.pop_back();
        if (outcome == Outcome::out_of_nodes)
            return outcome;
    }
    if (branch.can_wait) {
        State next = s;
        for (int q : branch.partners)
            forbid(next, best, q);
        Outcome outcome = visit(next);
        if (outcome != Outcome::stuck)
            return outcome;
    }
    return Outcome::stuck;
}

// Runs the search again and again with growing node allowances (1, 1, 2, 1, 1, 2, 4, ...
// times a base), breaking ties differently each time. A search that has gone down a long
// hopeless road is cut short, and what was learnt stays: dead positions and which values
// keep causing trouble.
Solution Search::run()
{
    State all(words_, 0);
    for (size_t p = 0; p < pieces_.size(); p++)
        set_bit(all, static_cast<int>(p));
    Outcome outcome = Outcome::out_of_nodes;
    bool cores_looked_at = positions_before_cores_ < 0;
    for (long run = 1; outcome == Outcome::out_of_nodes && nodes_ < node_limit_; run++) {
        if (cancel_ && cancel_->load(std::memory_order_relaxed))
            break;
        if (!cores_looked_at && nodes_ >= positions_before_cores_) {
            cores_looked_at = true;
            if (stuck_core()) {
                outcome = Outcome::stuck;
                break;
            }
        }
        // From then on, every second run, the values the dead ends keep meeting.
        if (cores_looked_at && positions_before_cores_ >= 0 && run % 2 == 0 &&
            (core_of_dead_ends_is_stuck(3) || core_of_dead_ends_is_stuck(6))) {
            outcome = Outcome::stuck;
            break;
        }
        prefer_tall_stacks_ = run % 2 != 0;
        restart_at_ = nodes_ + 50 * luby(run);
        taken_.clear();
        forget_queue();
        queue_all();
        outcome = visit(all);
    }
    Solution solution;
    solution.nodes = nodes_;
    if (outcome == Outcome::cleared) {
        solution.result = SolveResult::cleared;
        for (auto [a, b] : taken_)
            solution.pairs.emplace_back(pieces_[a].cell, pieces_[b].cell);
    } else {
        solution.result = outcome == Outcome::stuck ? SolveResult::stuck : SolveResult::unknown;
    }
    return solution;
}

}  // namespace solving

Solution solve_board(const Layout &board, long node_limit, const std::atomic<bool> *cancel)
{
    return solving::Search(board, node_limit, solving::positions_before_cores, cancel).run();
}

const char *to_string(SolveResult result)
{
    switch (result) {
    case SolveResult::cleared:
        return "cleared";
    case SolveResult::stuck:
        return "stuck";
    case SolveResult::unknown:
        break;
    }
    return "unknown";
}
