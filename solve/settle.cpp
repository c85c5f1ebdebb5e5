// Settling a position: everything that follows for certain from the pieces left and the
// pairs barred, done without branching.
#include "solve/search.h"

namespace solving {

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

}  // namespace solving
