// The search rests on one property of the rules: taking pieces away never makes another
// piece less free. So when two free pieces are to be taken together at some point, they can
// just as well be taken at once; what a solution really chooses is only which pieces of a
// value are partners. The search therefore branches on partners, not on move orders: it
// takes a free piece and either takes it with one of the free pieces of its value, or
// notes that its partner is one of those still blocked (it may not go with any of the free
// ones). Whatever follows for certain is done without branching.
#include "play/solver.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

namespace {

enum class Outcome { cleared, stuck, out_of_nodes };

struct Piece {
    int cell;
    int group;                                          // pieces of one value form a group
    int above = -1, below = -1, left = -1, right = -1;  // neighbouring pieces, or -1
    bool at_edge = false;                               // column 0 or 11
};

// A position: which pieces are still there and which pairs of pieces may not be partners,
// as bits in one array so that positions can be remembered as a whole.
using State = std::vector<std::uint64_t>;

struct StateHash {
    size_t operator()(const State &s) const
    {
        std::uint64_t h = 0x9e3779b97f4a7c15ull;
        for (std::uint64_t w : s)
            h = (h ^ w) * 0x100000001b3ull + (h >> 29);
        return static_cast<size_t>(h);
    }
};

bool bit(const State &s, int i) { return (s[i >> 6] >> (i & 63)) & 1; }
void set_bit(State &s, int i) { s[i >> 6] |= std::uint64_t{1} << (i & 63); }
void clear_bit(State &s, int i) { s[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }

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

class Search {
public:
    Search(const Layout &board, long node_limit);
    Solution run();

private:
    bool on(const State &s, int p) const { return bit(s, p); }
    bool all_gone(const State &s) const
    {
        for (size_t p = 0; p < pieces_.size(); p++)
            if (on(s, static_cast<int>(p)))
                return false;
        return true;
    }
    // Each group keeps a square of bits, one for each ordered pair of its pieces; a pair is
    // forbidden both ways at once, so either order can be read.
    int pair_bit(int a, int b) const { return pair_row_[a] + slot_[b]; }
    bool forbidden(const State &s, int a, int b) const { return bit(s, pair_bit(a, b)); }
    void forbid(State &s, int a, int b) const
    {
        set_bit(s, pair_bit(a, b));
        set_bit(s, pair_bit(b, a));
    }

    bool is_free(int p, const State &s) const;
    void take(int a, int b, State &s);
    bool settle(State &s);
    bool match_all(const std::vector<int> &pieces, const State &s, std::vector<int> &partner) const;
    void blockers(int a, int b, const State &s, std::vector<int> &out) const;
    bool order_pairs(State &s, bool &forbade);
    void bump(int group);
    int newly_freed(int a, int b, const State &s) const;
    Outcome visit(State s);

    std::vector<Piece> pieces_;
    std::vector<std::vector<int>> groups_;  // piece ids of each value, in cell order
    std::vector<int> slot_;                 // a piece's place in its group
    std::vector<int> pair_row_;             // first pair bit of a piece's row in its group's square
    int words_ = 0;
    std::unordered_set<State, StateHash> dead_;  // positions that cannot be cleared
    std::vector<std::pair<int, int>> taken_;
    std::vector<std::uint64_t> reach_;       // scratch for order_pairs
    std::vector<int> left_, partners_;       // scratch for settle and visit
    std::vector<double> activity_;  // how often each group took part in a dead end, recent ones counting more
    double bump_by_ = 1;
    std::uint64_t random_ = 0x2545f4914f6cdd1dull;
    std::uint64_t next_random()
    {
        random_ ^= random_ << 13;
        random_ ^= random_ >> 7;
        random_ ^= random_ << 17;
        return random_;
    }
    long nodes_ = 0, node_limit_, restart_at_ = 0;
};

Search::Search(const Layout &board, long node_limit) : node_limit_(node_limit)
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

bool Search::is_free(int p, const State &s) const
{
    const Piece &piece = pieces_[p];
    if (!on(s, p) || (piece.above >= 0 && on(s, piece.above)))
        return false;
    if (piece.at_edge)
        return true;
    return piece.left < 0 || !on(s, piece.left) || piece.right < 0 || !on(s, piece.right);
}

void Search::take(int a, int b, State &s)
{
    clear_bit(s, a);
    clear_bit(s, b);
    // What may not go with a piece no longer matters once it is gone: clearing it lets
    // positions reached in different ways be recognised as the same.
    for (int p : groups_[pieces_[a].group])
        for (int gone : {a, b}) {
            clear_bit(s, pair_bit(p, gone));
            clear_bit(s, pair_bit(gone, p));
        }
    taken_.emplace_back(a, b);
}

// Pairs up all of the given pieces with no forbidden pair, if that can be done.
bool Search::match_all(const std::vector<int> &pieces, const State &s, std::vector<int> &partner) const
{
    int first = -1;
    for (int p : pieces)
        if (partner[slot_[p]] < 0) {
            first = p;
            break;
        }
    if (first < 0)
        return true;
    for (int q : pieces) {
        if (q == first || partner[slot_[q]] >= 0 || forbidden(s, first, q))
            continue;
        partner[slot_[first]] = q;
        partner[slot_[q]] = first;
        if (match_all(pieces, s, partner))
            return true;
        partner[slot_[first]] = partner[slot_[q]] = -1;
    }
    return false;
}

// Does everything that follows for certain: takes pairs that are sure to be partners and are
// both free, and all pieces of a value once all of them are free. False when the position is
// lost: a value with an odd number of pieces left, or a piece that no piece may partner.
bool Search::settle(State &s)
{
    for (bool changed = true; changed;) {
        changed = false;
        for (const std::vector<int> &group : groups_) {
            std::vector<int> &left = left_;
            left.clear();
            bool all_free = true;
            for (int p : group)
                if (on(s, p)) {
                    left.push_back(p);
                    all_free = all_free && is_free(p, s);
                }
            if (left.empty())
                continue;
            if (left.size() % 2 != 0) {
                bump(pieces_[group[0]].group);
                return false;
            }
            if (all_free) {
                std::vector<int> partner(group.size(), -1);
                if (!match_all(left, s, partner)) {
                    bump(pieces_[group[0]].group);
                    return false;
                }
                for (int p : left)
                    if (on(s, p))
                        take(p, partner[slot_[p]], s);
                changed = true;
                continue;
            }
            for (int a : left) {
                int only = -1, choices = 0;
                for (int q : left)
                    if (q != a && !forbidden(s, a, q)) {
                        only = q;
                        choices++;
                    }
                if (choices == 0) {
                    bump(pieces_[a].group);
                    return false;
                }
                if (choices != 1)
                    continue;
                // a can only go with `only`, so nothing else may go with `only` either.
                for (int q : left)
                    if (q != a && q != only && !forbidden(s, only, q)) {
                        forbid(s, only, q);
                        changed = true;
                    }
                if (on(s, a) && is_free(a, s) && is_free(only, s)) {
                    take(a, only, s);
                    changed = true;
                    break;
                }
            }
        }
    }
    return true;
}

// The pieces that must be gone before a and b can be free at the same time: every piece
// above either, and, when both stand in the same run of a row, every piece of that run
// outside the two (the left one needs its left side clear, the right one its right side).
void Search::blockers(int a, int b, const State &s, std::vector<int> &out) const
{
    out.clear();
    for (int p : {a, b})
        for (int over = pieces_[p].above; over >= 0; over = pieces_[over].above)
            if (on(s, over))
                out.push_back(over);
    if (a > b)
        std::swap(a, b);  // ids follow cell order, so in one run a now lies left of b
    int step = a;
    while (step != b && pieces_[step].right >= 0 && on(s, pieces_[step].right))
        step = pieces_[step].right;
    if (step != b)
        return;
    if (!pieces_[a].at_edge)
        for (int p = pieces_[a].left; p >= 0 && on(s, p); p = pieces_[p].left)
            out.push_back(p);
    if (!pieces_[b].at_edge)
        for (int p = pieces_[b].right; p >= 0 && on(s, p); p = pieces_[p].right)
            out.push_back(p);
}

// Pairs whose partners are settled must be taken together, after their blockers. When a
// blocker belongs to another settled pair, that pair must go first. A cycle in this order
// means the board cannot be cleared (false). Two pieces that could still be partners may
// not be when pairing them would close such a cycle, or when one blocks the other: those
// pairs are forbidden, and `forbade` says whether any were.
bool Search::order_pairs(State &s, bool &forbade)
{
    forbade = false;
    std::vector<int> pair_of(pieces_.size(), -1);
    std::vector<std::pair<int, int>> pairs;
    for (const std::vector<int> &group : groups_)
        for (int a : group) {
            if (!on(s, a) || pair_of[a] >= 0)
                continue;
            int only = -1, choices = 0;
            for (int q : group)
                if (q != a && on(s, q) && !forbidden(s, a, q)) {
                    only = q;
                    choices++;
                }
            if (choices == 1) {
                pair_of[a] = pair_of[only] = static_cast<int>(pairs.size());
                pairs.emplace_back(a, only);
            }
        }
    const int n = static_cast<int>(pairs.size());
    std::vector<std::vector<int>> before(n);             // pairs that must go before pair i
    std::vector<std::vector<int>> blocking(pieces_.size());  // pairs a piece must go before
    std::vector<int> found;
    for (int i = 0; i < n; i++) {
        blockers(pairs[i].first, pairs[i].second, s, found);
        for (int p : found) {
            blocking[p].push_back(i);
            if (pair_of[p] >= 0)
                before[i].push_back(pair_of[p]);
        }
    }
    // reach[i]: every pair that must go before pair i, directly or through others.
    const int row_words = (n + 63) / 64;
    reach_.assign(static_cast<size_t>(n) * row_words, 0);
    auto reaches = [&](int i, int j) { return (reach_[i * row_words + (j >> 6)] >> (j & 63)) & 1; };
    std::vector<int> todo;
    for (int i = 0; i < n; i++) {
        todo.assign(before[i].begin(), before[i].end());
        while (!todo.empty()) {
            int j = todo.back();
            todo.pop_back();
            if (reaches(i, j))
                continue;
            reach_[i * row_words + (j >> 6)] |= std::uint64_t{1} << (j & 63);
            todo.insert(todo.end(), before[j].begin(), before[j].end());
        }
        if (reaches(i, i)) {
            // The pairs of the cycle are what went wrong: look at them first from now on.
            for (int j = 0; j < n; j++)
                if (reaches(i, j) && reaches(j, i))
                    bump(pieces_[pairs[j].first].group);
            return false;
        }
    }

    std::vector<std::uint64_t> must_precede(row_words);
    for (const std::vector<int> &group : groups_)
        for (size_t x = 0; x < group.size(); x++)
            for (size_t y = x + 1; y < group.size(); y++) {
                int a = group[x], b = group[y];
                if (!on(s, a) || !on(s, b) || pair_of[a] >= 0 || pair_of[b] >= 0 || forbidden(s, a, b))
                    continue;
                blockers(a, b, s, found);
                bool impossible = false;
                std::fill(must_precede.begin(), must_precede.end(), 0);
                for (int p : found) {
                    impossible = impossible || p == a || p == b;
                    if (int j = pair_of[p]; j >= 0) {
                        must_precede[j >> 6] |= std::uint64_t{1} << (j & 63);
                        for (int w = 0; w < row_words; w++)
                            must_precede[w] |= reach_[j * row_words + w];
                    }
                }
                for (int gone_first : {a, b})
                    for (int i : blocking[gone_first])
                        impossible = impossible || ((must_precede[i >> 6] >> (i & 63)) & 1);
                if (impossible) {
                    forbid(s, a, b);
                    forbade = true;
                }
            }
    return true;
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
    if (++nodes_ > node_limit_ || nodes_ > restart_at_)
        return give_up(Outcome::out_of_nodes);
    const State key = s;
    for (bool forbade = true; forbade;) {
        if (!order_pairs(s, forbade) || (forbade && !settle(s))) {
            dead_.insert(key);
            return give_up(Outcome::stuck);
        }
    }
    if (all_gone(s))
        return Outcome::cleared;

    // The free piece with the fewest choices: each free piece it may go with, and waiting
    // for a blocked one when it may go with one of those.
    int best = -1, best_choices = 1 << 30;
    double best_activity = -1;
    std::vector<int> best_partners;
    bool best_can_wait = false;
    for (const std::vector<int> &group : groups_)
        for (int a : group) {
            if (!is_free(a, s))
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
            int choices = static_cast<int>(partners.size()) + (can_wait ? 1 : 0);
            // A little noise breaks ties differently on each restart.
            double act = activity_[pieces_[a].group] + 1e-3 * (next_random() % 1000);
            if (!partners.empty() && (choices < best_choices || (choices == best_choices && act > best_activity))) {
                best_activity = act;
                best = a;
                best_choices = choices;
                best_partners = partners;
                best_can_wait = can_wait;
            }
        }
    if (best < 0) {
        dead_.insert(key);
        return give_up(Outcome::stuck);
    }

    std::stable_sort(best_partners.begin(), best_partners.end(), [&](int p, int q) {
        return newly_freed(best, p, s) > newly_freed(best, q, s);
    });
    for (int q : best_partners) {
        State next = s;
        take(best, q, next);
        Outcome outcome = visit(next);
        if (outcome == Outcome::cleared)
            return outcome;
        taken_.pop_back();
        if (outcome == Outcome::out_of_nodes)
            return give_up(outcome);
    }
    if (best_can_wait) {
        State next = s;
        for (int q : best_partners)
            forbid(next, best, q);
        Outcome outcome = visit(next);
        if (outcome != Outcome::stuck)
            return outcome == Outcome::cleared ? outcome : give_up(outcome);
    }
    dead_.insert(key);
    return give_up(Outcome::stuck);
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
    for (long run = 1; outcome == Outcome::out_of_nodes && nodes_ < node_limit_; run++) {
        restart_at_ = nodes_ + 200 * luby(run);
        taken_.clear();
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

}  // namespace

Solution solve_board(const Layout &board, long node_limit)
{
    return Search(board, node_limit).run();
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
