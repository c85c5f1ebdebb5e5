// The order in which pairs must go: pairs whose partners are settled must be taken after
// the pieces that block them, so the settled pairs are ordered, a cycle proves the position
// lost, and pairs that would break the order are barred.
#include "solve/search.h"

namespace solving {

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
        return pieces_[a].stack == pieces_[b].stack;
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

// order_pairs until it forbids nothing more, settling what each round forbade.
bool Search::order_all_pairs(State &s)
{
    for (bool forbade = true; forbade;)
        if (!order_pairs(s, forbade) || (forbade && !settle(s)))
            return false;
    return true;
}

}  // namespace solving
