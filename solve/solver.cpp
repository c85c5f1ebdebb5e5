

// The search rests on one property of the rules: taking pieces away never makes another
// piece less free. So when two free pieces are to be taken together at some point, they can
// just as well be taken at once; what a solution really chooses is only which pieces of a
// value are partners. The search therefore branches on partners, not on move orders: it
// takes a free piece and either takes it with one of the free pieces of its value, or
// notes that its partner is one of those still blocked (it may not go with any of the free
// ones). Whatever follows for certain is done without branching.
#include "solve/solver.h"

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
    int column = 0;                                     // where it stands, whatever its layer
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
    Search(const Layout &board, long node_limit, bool look_for_cores = true);
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
    // Bars a and b from being partners, and has settle look at their value again.
    void forbid(State &s, int a, int b)
    {
        set_bit(s, pair_bit(a, b));
        set_bit(s, pair_bit(b, a));
        queue(pieces_[a].group);
    }

    bool is_free(int p, const State &s) const;
    void take(int a, int b, State &s);
    bool settle(State &s);
    void forget_queue();
    void queue_all();
    void queue(int group)
    {
        if (!queued_[group]) {
            queued_[group] = 1;
            todo_.push_back(group);
        }
    }
    bool match_all(const std::vector<int> &pieces, const State &s, std::vector<int> &partner) const;
    void blockers(int a, int b, const State &s, std::vector<int> &out) const;
    bool settle_group(const std::vector<int> &group, State &s, bool &changed);
    bool take_all_free(const std::vector<int> &group, State &s, bool &changed);
    bool idle(int p, const State &s) const;
    bool take_around_idle_piece(State &s);
    bool follow_single_choices(State &s, bool &changed);
    bool order_pairs(State &s, bool &forbade);
    void find_settled_pairs(const State &s);
    void find_what_goes_first(const State &s);
    bool close_the_order();
    bool forbid_impossible_pairs(State &s);
    bool cannot_go_together(int a, int b, const State &s);
    bool reaches(int i, int j) const
    {
        return (reach_[i * row_words_ + (j >> 6)] >> (j & 63)) & 1;
    }
    void bump(int group);
    int newly_freed(int a, int b, const State &s) const;
    struct Branch {
        int piece = -1;             // a free piece to decide on
        std::vector<int> partners;  // the free pieces it may go with
        bool can_wait = false;      // it may also go with one still blocked
    };
    Outcome visit(State s);
    bool order_all_pairs(State &s);
    Branch choose_branch(const State &s);
    Outcome explore(Branch &branch, const State &s);

    std::vector<Piece> pieces_;
    std::vector<std::vector<int>> groups_;  // piece ids of each value, in cell order
    std::vector<int> slot_;                 // a piece's place in its group
    std::vector<int> pair_row_;             // first pair bit of a piece's row in its group's square
    int words_ = 0;
    std::unordered_set<State, StateHash> dead_;  // positions that cannot be cleared
    std::vector<std::pair<int, int>> taken_;
    // Scratch for order_pairs: the settled pairs and the order they must go in.
    std::vector<int> pair_of_;
    std::vector<std::pair<int, int>> settled_;
    std::vector<std::vector<int>> before_, blocking_;
    std::vector<int> found_;
    std::vector<std::uint64_t> reach_, must_precede_;
    std::vector<char> state_of_pair_;            // scratch for close_the_order
    std::vector<std::pair<int, int>> path_;      // its path: a pair and the next to follow
    int row_words_ = 0;
    std::vector<int> left_, partners_;       // scratch for settle and visit
    // The groups whose pieces' freedom (or idleness) taking a piece may change: its own, and
    // those of the pieces under, over and beside it, and two along its row.
    std::vector<std::vector<int>> concerned_;
    std::vector<int> todo_;      // groups settle has still to look at
    std::vector<char> queued_;   // whether a group is in todo_
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
    bool stuck_core();
    bool core_is_stuck(const std::vector<int> &groups);
    const Layout &board_;
    bool look_for_cores_;
    long nodes_ = 0, node_limit_, restart_at_ = 0;
};

Search::Search(const Layout &board, long node_limit, bool look_for_cores)
    : board_(board), look_for_cores_(look_for_cores), node_limit_(node_limit)
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
        p.column = x + y * Layout::columns;
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
    for (int p : {a, b})
        for (int g : concerned_[p])
            queue(g);
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
// Only the groups a change may concern are looked at (take() queues the groups around the
// pieces it takes, forbid() the group of the pair it bars), until none is left: a position is
// handed on settled, so what did not change needs no second look. The first position has
// every group queued.
bool Search::settle(State &s)
{
    while (!todo_.empty()) {
        const int g = todo_.back();
        todo_.pop_back();
        queued_[g] = 0;
        bool changed = false;
        if (!settle_group(groups_[g], s, changed)) {
            forget_queue();
            return false;
        }
        if (changed)
            queue(g);
    }
    return true;
}

// Empties the queue of groups settle has to look at.
void Search::forget_queue()
{
    for (int g : todo_)
        queued_[g] = 0;
    todo_.clear();
}

// Has settle look at every group.
void Search::queue_all()
{
    for (int g = static_cast<int>(groups_.size()) - 1; g >= 0; g--)
        queue(g);
}

// settle for the pieces of one value; `changed` is set when anything was taken or forbidden.
bool Search::settle_group(const std::vector<int> &group, State &s, bool &changed)
{
    std::vector<int> &left = left_;
    left.clear();
    bool all_free = true;
    for (int p : group)
        if (on(s, p)) {
            left.push_back(p);
            all_free = all_free && is_free(p, s);
        }
    if (left.empty())
        return true;
    if (left.size() % 2 != 0) {
        bump(pieces_[group[0]].group);
        return false;
    }
    if (all_free)
        return take_all_free(group, s, changed);
    if (take_around_idle_piece(s)) {
        changed = true;
        return true;
    }
    return follow_single_choices(s, changed);
}

// Whether piece p, taken away now or later, can never matter to another piece's freedom: no
// piece lies under it, and each piece beside it has its other side clear for good (the edge
// or an empty cell; cells only ever empty).
bool Search::idle(int p, const State &s) const
{
    const Piece &piece = pieces_[p];
    if (piece.below >= 0 && on(s, piece.below))
        return false;
    auto other_side_clear = [&](int beside, int further) {
        return beside < 0 || !on(s, beside) || pieces_[beside].at_edge || further < 0 ||
               !on(s, further);
    };
    return (piece.left < 0 || other_side_clear(piece.left, pieces_[piece.left].left)) &&
           (piece.right < 0 || other_side_clear(piece.right, pieces_[piece.right].right));
}

// Deductions from idle pieces, in a group where no pair is barred yet. All pieces of `left_`
// but one are free, and one free piece z is idle. Then whatever solution pairs the blocked piece w with a free x can pair w
// with z instead and take x at once with the piece z went with: x goes sooner (which never
// makes a piece less free) and z stays longer (which hinders nothing, being idle). So the
// free pieces other than z are taken now, and z waits for w. True when it took or barred
// any.
bool Search::take_around_idle_piece(State &s)
{
    int blocked[2] = {-1, -1}, idle_ones[2] = {-1, -1}, blocked_count = 0, idle_count = 0;
    for (int p : left_) {
        if (!is_free(p, s)) {
            if (blocked_count < 2)
                blocked[blocked_count] = p;
            blocked_count++;
        } else if (idle(p, s)) {
            if (idle_count < 2)
                idle_ones[idle_count] = p;
            idle_count++;
        }
        for (int q : left_)
            if (q != p && forbidden(s, p, q))
                return false;
    }
    if (left_.size() < 4 || idle_count == 0)
        return false;
    if (blocked_count == 2 && left_.size() == 4 && idle_count == 2) {
        // Two idle free pieces and two blocked ones: taking the idle two together only
        // leaves the blocked two to be free at the same time, while each idle one can wait
        // for a blocked one as long as need be; and the idle two can change places. So each
        // goes with one blocked piece, the first with the first.
        forbid(s, idle_ones[0], idle_ones[1]);
        forbid(s, idle_ones[0], blocked[1]);
        forbid(s, idle_ones[1], blocked[0]);
        return true;
    }
    if (blocked_count != 1)
        return false;
    int waiting = -1;
    for (int p : left_) {
        if (p == blocked[0] || p == idle_ones[0])
            continue;
        if (waiting < 0) {
            waiting = p;
        } else {
            take(waiting, p, s);
            waiting = -1;
        }
    }
    return true;
}

// All the pieces left of a value are free: any way of pairing them up will do.
bool Search::take_all_free(const std::vector<int> &group, State &s, bool &changed)
{
    std::vector<int> partner(group.size(), -1);
    if (!match_all(left_, s, partner)) {
        bump(pieces_[group[0]].group);
        return false;
    }
    for (int p : left_)
        if (on(s, p))
            take(p, partner[slot_[p]], s);
    changed = true;
    return true;
}

// A piece of `left_` that may go with only one other: nothing else may go with that one, and
// the two are taken at once when both are free.
bool Search::follow_single_choices(State &s, bool &changed)
{
    const std::vector<int> &left = left_;
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
    // The pieces between the two can never go while both are there, so the left one needs
    // its left side clear and the right one its right side; and a piece goes only after all
    // those above it.
    auto with_those_above = [&](int p) {
        out.push_back(p);
        for (int over = pieces_[p].above; over >= 0 && on(s, over); over = pieces_[over].above)
            out.push_back(over);
    };
    if (!pieces_[a].at_edge)
        for (int p = pieces_[a].left; p >= 0 && on(s, p); p = pieces_[p].left)
            with_those_above(p);
    if (!pieces_[b].at_edge)
        for (int p = pieces_[b].right; p >= 0 && on(s, p); p = pieces_[p].right)
            with_those_above(p);
}

// Pairs whose partners are settled must be taken together, after their blockers. When a
// blocker belongs to another settled pair, that pair must go first. A cycle in this order
// means the board cannot be cleared (false). Two pieces that could still be partners may
// not be when pairing them would close such a cycle, or when one blocks the other: those
// pairs are forbidden, and `forbade` says whether any were.
bool Search::order_pairs(State &s, bool &forbade)
{
    find_settled_pairs(s);
    find_what_goes_first(s);
    if (!close_the_order())
        return false;
    forbade = forbid_impossible_pairs(s);
    return true;
}

// The pieces whose partner is settled, paired in settled_ (pair_of_ says which pair a piece
// is in, or -1).
void Search::find_settled_pairs(const State &s)
{
    pair_of_.assign(pieces_.size(), -1);
    settled_.clear();
    for (const std::vector<int> &group : groups_)
        for (int a : group) {
            if (!on(s, a) || pair_of_[a] >= 0)
                continue;
            int only = -1, choices = 0;
            for (int q : group)
                if (q != a && on(s, q) && !forbidden(s, a, q)) {
                    only = q;
                    choices++;
                }
            if (choices == 1) {
                pair_of_[a] = pair_of_[only] = static_cast<int>(settled_.size());
                settled_.emplace_back(a, only);
            }
        }
}

// For each settled pair, the settled pairs that must go before it (before_), and for each
// piece, the settled pairs it must go before (blocking_).
void Search::find_what_goes_first(const State &s)
{
    const int n = static_cast<int>(settled_.size());
    // Emptied rather than made anew: their room is kept from one position to the next.
    if (before_.size() < static_cast<size_t>(n))
        before_.resize(n);
    for (int i = 0; i < n; i++)
        before_[i].clear();
    blocking_.resize(pieces_.size());
    for (std::vector<int> &b : blocking_)
        b.clear();
    for (int i = 0; i < n; i++) {
        blockers(settled_[i].first, settled_[i].second, s, found_);
        for (int p : found_) {
            blocking_[p].push_back(i);
            if (pair_of_[p] >= 0)
                before_[i].push_back(pair_of_[p]);
        }
    }
}

// reach_: for each settled pair, every pair that must go before it, directly or through
// others. False when a pair would have to go before itself. Depth first: a pair's row is
// complete once the rows of the pairs before it are, so each row is built once from those.
bool Search::close_the_order()
{
    const int n = static_cast<int>(settled_.size());
    row_words_ = (n + 63) / 64;
    reach_.assign(static_cast<size_t>(n) * row_words_, 0);
    // 0: not yet looked at, 1: on the path being followed, 2: row complete.
    state_of_pair_.assign(n, 0);
    for (int start = 0; start < n; start++) {
        if (state_of_pair_[start] != 0)
            continue;
        path_.assign(1, {start, 0});
        state_of_pair_[start] = 1;
        while (!path_.empty()) {
            auto &[i, next] = path_.back();
            if (next == static_cast<int>(before_[i].size())) {
                state_of_pair_[i] = 2;
                const int done = i;
                path_.pop_back();
                if (!path_.empty()) {
                    const int up = path_.back().first;
                    reach_[up * row_words_ + (done >> 6)] |= std::uint64_t{1} << (done & 63);
                    for (int w = 0; w < row_words_; w++)
                        reach_[up * row_words_ + w] |= reach_[done * row_words_ + w];
                }
                continue;
            }
            const int j = before_[i][next++];
            if (state_of_pair_[j] == 1) {
                // A cycle: the pairs on it are what went wrong, so look at them first from
                // now on.
                for (size_t k = path_.size(); k-- > 0;) {
                    bump(pieces_[settled_[path_[k].first].first].group);
                    if (path_[k].first == j)
                        break;
                }
                return false;
            }
            if (state_of_pair_[j] == 2) {
                reach_[i * row_words_ + (j >> 6)] |= std::uint64_t{1} << (j & 63);
                for (int w = 0; w < row_words_; w++)
                    reach_[i * row_words_ + w] |= reach_[j * row_words_ + w];
            } else {
                state_of_pair_[j] = 1;
                path_.emplace_back(j, 0);
            }
        }
    }
    return true;
}

// Forbids the pairs of unsettled pieces that cannot be taken together; true when it forbade any.
bool Search::forbid_impossible_pairs(State &s)
{
    bool forbade = false;
    for (const std::vector<int> &group : groups_)
        for (size_t x = 0; x < group.size(); x++)
            for (size_t y = x + 1; y < group.size(); y++) {
                int a = group[x], b = group[y];
                if (!on(s, a) || !on(s, b) || pair_of_[a] >= 0 || pair_of_[b] >= 0 ||
                    forbidden(s, a, b))
                    continue;
                if (cannot_go_together(a, b, s)) {
                    forbid(s, a, b);
                    forbade = true;
                }
            }
    return forbade;
}

// Whether a and b block each other, or taking them would have to come both before and after
// some settled pair.
bool Search::cannot_go_together(int a, int b, const State &s)
{
    // Neither has to go before a settled pair, so no order can be broken: they cannot go
    // together only when one lies on the other, the one way either can be among the other's
    // blockers (a row's blockers lie outside the two, and their stacks a layer higher).
    if (blocking_[a].empty() && blocking_[b].empty())
        return pieces_[a].column == pieces_[b].column;
    blockers(a, b, s, found_);
    for (int p : found_)
        if (p == a || p == b)
            return true;
    bool impossible = false;
    std::vector<std::uint64_t> &must_precede = must_precede_;
    must_precede.assign(row_words_, 0);
    for (int p : found_) {
        if (int j = pair_of_[p]; j >= 0) {
            must_precede[j >> 6] |= std::uint64_t{1} << (j & 63);
            for (int w = 0; w < row_words_; w++)
                must_precede[w] |= reach_[j * row_words_ + w];
        }
    }
    for (int gone_first : {a, b})
        for (int i : blocking_[gone_first])
            impossible = impossible || ((must_precede[i >> 6] >> (i & 63)) & 1);
    return impossible;
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

// order_pairs until it forbids nothing more, settling what each round forbade.
bool Search::order_all_pairs(State &s)
{
    for (bool forbade = true; forbade;)
        if (!order_pairs(s, forbade) || (forbade && !settle(s)))
            return false;
    return true;
}

// The free piece with a free partner whose value took part in dead ends most often of late,
// with its choices: each free piece it may go with, and waiting for a blocked one when it
// may go with one of those. No piece (-1) when no free piece has a free partner. (Measured:
// following the dead ends alone settles more deals in fewer positions than first taking
// the piece with the fewest choices.)
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
// The values of `groups` alone, every other piece taken off: can they be cleared? Taking
// pieces away never makes another piece less free, so any way of clearing the whole board,
// with the moves of other values left out, clears these alone; when they cannot be cleared,
// neither can the board. Their own search counts towards the positions searched, so that
// the node limit bounds the time this takes as well.
bool Search::core_is_stuck(const std::vector<int> &groups)
{
    if (nodes_ >= node_limit_)
        return false;
    Layout part;
    part.clear();
    for (int g : groups)
        for (int p : groups_[g])
            part.set_cell(pieces_[p].cell, board_.cell(pieces_[p].cell));
    Solution solution = Search(part, 2000, false).run();
    nodes_ += 1 + solution.nodes;  // its first position, settled, counts too
    return solution.result == SolveResult::stuck;
}

// Looks for one value, two values or three that cannot be cleared on their own: each value
// alone, then those with a piece on or beside one of another, then three so linked. Deals
// that cannot be cleared are most often so for such a small reason, which the search
// proper, seeing all values at once, can take long to find.
bool Search::stuck_core()
{
    const int n = static_cast<int>(groups_.size());
    std::vector<std::vector<char>> linked(n, std::vector<char>(n, 0));
    for (const Piece &p : pieces_)
        for (int q : {p.above, p.left, p.right})
            if (q >= 0 && pieces_[q].group != p.group)
                linked[p.group][pieces_[q].group] = linked[pieces_[q].group][p.group] = 1;
    for (int g = 0; g < n; g++)
        if (core_is_stuck({g}))
            return true;
    for (int g = 0; g < n; g++)
        for (int h = g + 1; h < n; h++)
            if (linked[g][h] && core_is_stuck({g, h}))
                return true;
    for (int g = 0; g < n; g++)
        for (int h = g + 1; h < n; h++)
            for (int i = h + 1; i < n; i++) {
                int links = linked[g][h] + linked[g][i] + linked[h][i];
                if (links >= 2 && core_is_stuck({g, h, i}))
                    return true;
            }
    return false;
}

// A search that has not ended after this many positions looks for a small reason why the
// board cannot be cleared.
constexpr long positions_before_cores = 1000;

Solution Search::run()
{
    State all(words_, 0);
    for (size_t p = 0; p < pieces_.size(); p++)
        set_bit(all, static_cast<int>(p));
    Outcome outcome = Outcome::out_of_nodes;
    bool cores_looked_at = !look_for_cores_;
    for (long run = 1; outcome == Outcome::out_of_nodes && nodes_ < node_limit_; run++) {
        if (!cores_looked_at && nodes_ >= positions_before_cores) {
            cores_looked_at = true;
            if (stuck_core()) {
                outcome = Outcome::stuck;
                break;
            }
        }
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
