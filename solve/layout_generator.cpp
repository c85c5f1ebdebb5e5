// A shape is made in two steps. First it is built to look right: a stepped pile of the asked
// number of pieces, then reshaped by annealing against a few named penalties (shape_looks)
// that describe what a hand-built board looks like. Then it is rated; a shape that falls
// short is mended by moving a piece (or a mirrored pair) at a time, each move chosen among
// the likeliest ones by rating them. Every random choice comes from one generator seeded by
// the seed, so the same request gives the same shape.
#include "solve/layout_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "board/editing.h"
#include "solve/solver.h"

namespace {

constexpr int columns = Layout::columns, rows = Layout::rows, layers = Layout::layers;
constexpr int layer_cells = columns * rows;

int x_of(int i) { return Layout::position(i).x; }
int y_of(int i) { return Layout::position(i).y; }
int z_of(int i) { return Layout::position(i).z; }

// The search's own random numbers (rand() belongs to dealing, which reseeds it per deal).
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull)
    {
    }
    std::uint64_t next()
    {
        // splitmix64: good enough spread, the same on every machine
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<unsigned>(n)) : 0; }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

// ---- Moving pieces -------------------------------------------------------------------

// The cell that mirrors cell i: column x and column 11 - x, same row and layer.
int twin(int i) { return mirror_cell(i); }

// A piece that can be lifted off without leaving another resting on nothing.
bool liftable(const Layout &shape, int i) { return can_lift(shape, i); }

// An empty cell a piece may be put in, within the first `used_layers` layers.
bool placeable(const Layout &shape, int i, int used_layers)
{
    return z_of(i) < used_layers && can_place(shape, i);
}

// One piece from `from` to `to`; in a mirrored shape, its twin goes along on the other side.
struct Move {
    int from = -1, to = -1;
};

// The rules a search keeps while it moves pieces.
struct MoveRules {
    int used_layers = layers;
    bool mirror = false;
};

// Cells a move may start from, in the left half only when the twins follow.
std::vector<int> cells_where(const Layout &shape, const MoveRules &rules, bool lift)
{
    std::vector<int> cells;
    for (int i = 0; i < Layout::cell_count; i++) {
        if (rules.mirror && x_of(i) >= columns / 2)
            continue;
        if (lift ? liftable(shape, i) : placeable(shape, i, rules.used_layers))
            cells.push_back(i);
    }
    return cells;
}

// Lifts the piece (and its twin); then puts it down at `to` when that is allowed there.
bool apply_move(Layout &shape, const Move &move, const MoveRules &rules)
{
    Layout after = shape;
    after.set_cell(move.from, 0);
    if (rules.mirror)
        after.set_cell(twin(move.from), 0);
    if (move.to == move.from || !placeable(after, move.to, rules.used_layers))
        return false;
    after.set_cell(move.to, 1);
    if (rules.mirror)
        after.set_cell(twin(move.to), 1);
    shape = after;
    return true;
}

bool random_move(Layout &shape, const MoveRules &rules, Dice &dice)
{
    std::vector<int> from = cells_where(shape, rules, true);
    if (from.empty())
        return false;
    Move move;
    move.from = from[dice.below(static_cast<int>(from.size()))];
    Layout lifted = shape;
    lifted.set_cell(move.from, 0);
    if (rules.mirror)
        lifted.set_cell(twin(move.from), 0);
    std::vector<int> to = cells_where(lifted, rules, false);
    to.erase(std::remove(to.begin(), to.end(), move.from), to.end());
    if (to.empty())
        return false;
    move.to = to[dice.below(static_cast<int>(to.size()))];
    return apply_move(shape, move, rules);
}

// ---- How a shape looks ---------------------------------------------------------------

// What a shape is built towards: how many pieces each layer holds, and the outline each
// layer keeps to.
struct Plan {
    double pieces[layers] = {};
    bool outline[Layout::cell_count] = {};
};

// Layer counts of a stepped pile in which each layer holds `step` times the pieces of the
// one below it.
void stepped_counts(Plan &plan, int pieces, int used_layers, double step)
{
    double weight[layers] = {}, total = 0;
    for (int z = 0; z < used_layers; z++)
        total += weight[z] = std::pow(step, z);
    double carried = 0;  // what a full layer could not hold goes to the next one up
    for (int z = 0; z < used_layers; z++) {
        double want = pieces * weight[z] / total + carried;
        plan.pieces[z] = std::min<double>(want, layer_cells);
        carried = want - plan.pieces[z];
    }
}

// One part of a floor outline: an ellipse or a rectangle around a centre.
struct Blob {
    double cx, cy, rx, ry;
    bool round;
    bool covers(int x, int y, double scale) const
    {
        double dx = (x - cx) / (rx * scale), dy = (y - cy) / (ry * scale);
        return round ? dx * dx + dy * dy <= 1.0 : std::fabs(dx) <= 1.0 && std::fabs(dy) <= 1.0;
    }
};

// Marks the cells of layer z that the blobs (and their mirror images) cover at a scale;
// gives how many.
int mark_outline(Plan &plan, int z, const std::vector<Blob> &blobs, bool mirror, double scale)
{
    int covered = 0;
    for (int i = z * layer_cells; i < (z + 1) * layer_cells; i++) {
        bool in = false;
        for (const Blob &b : blobs)
            in = in || b.covers(x_of(i), y_of(i), scale) ||
                 (mirror && b.covers(columns - 1 - x_of(i), y_of(i), scale));
        plan.outline[i] = in;
        covered += in;
    }
    return covered;
}

// Outlines drawn from the dice, so that seeds give different boards: one to three blobs,
// scaled for each layer until they cover a little more than the layer is to hold. Blobs
// apart from the middle give a board of several peaks.
void draw_outlines(Plan &plan, bool mirror, Dice &dice)
{
    std::vector<Blob> blobs(1 + dice.below(3));
    for (Blob &b : blobs)
        b = Blob{1.5 + 8.0 * dice.unit(), 1.0 + 4.0 * dice.unit(), 1.5 + 3.5 * dice.unit(),
                 1.0 + 2.5 * dice.unit(), dice.below(2) == 0};
    for (int z = 0; z < layers; z++) {
        double want = std::min<double>(layer_cells, std::ceil(plan.pieces[z] * 1.15));
        double scale = 0.05;
        while (scale < 8.0 && mark_outline(plan, z, blobs, mirror, scale) < want)
            scale *= 1.05;
    }
}

// What makes a shape look built by a person, as penalties: lower is better.
struct Looks {
    int rim = 0;       // sides of pieces facing an empty cell of their layer: solid groups have few
    int lone = 0;      // pieces with no neighbour in their layer: scattered pieces
    int stray = 0;     // floor pieces outside the three largest floor groups, or in a group
                       // of fewer than six: pieces far from the rest
    int overhang = 0;  // pieces resting on a piece at the rim of its layer: upper layers
                       // should be narrower than the ones they rest on
    double profile = 0;  // pieces by which the layers miss the counts planned
    int outside = 0;   // pieces outside the planned outline of their layer
    int buried = 0;    // for each piece, the pieces between it and the nearer end of its row:
                       // short rows leave more pieces free to take
    int stacked = 0;   // for each piece, the pieces lying above it: deep stacks lock pieces
                       // away (weighed only when a shape is mended, see mending_penalty)

    // The weights say how much each fault counts against the others. `row_weight` is the
    // weight of buried pieces, raised by the search while shapes fall short of the share.
    double penalty(double row_weight) const
    {
        return 1.0 * rim + 6.0 * lone + 8.0 * stray + 6.0 * overhang + 1.0 * profile +
               3.0 * outside + row_weight * buried;
    }
};

bool occupied(const Layout &shape, int x, int y, int z)
{
    return x >= 0 && x < columns && y >= 0 && y < rows && shape.get(x, y, z) != 0;
}

// Pieces beside (x, y) in layer z: left, right, in front and behind.
int neighbours(const Layout &shape, int x, int y, int z)
{
    return occupied(shape, x - 1, y, z) + occupied(shape, x + 1, y, z) +
           occupied(shape, x, y - 1, z) + occupied(shape, x, y + 1, z);
}

// Sides of (x, y) that face a cell of the grid rather than its border.
int inner_sides(int x, int y)
{
    return 4 - (x == 0) - (x == columns - 1) - (y == 0) - (y == rows - 1);
}

// Sizes of the groups of floor pieces that touch side by side, largest first.
std::vector<int> floor_groups(const Layout &shape)
{
    std::vector<int> sizes;
    bool seen[layer_cells] = {};
    for (int start = 0; start < layer_cells; start++) {
        if (seen[start] || shape.cell(start) == 0)
            continue;
        int size = 0, stack[layer_cells], top = 0;
        stack[top++] = start;
        seen[start] = true;
        while (top > 0) {
            int i = stack[--top];
            size++;
            const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
            for (int d = 0; d < 4; d++) {
                int nx = x_of(i) + dx[d], ny = y_of(i) + dy[d];
                int n = Layout::index(nx, ny, 0);
                if (occupied(shape, nx, ny, 0) && !seen[n]) {
                    seen[n] = true;
                    stack[top++] = n;
                }
            }
        }
        sizes.push_back(size);
    }
    std::sort(sizes.rbegin(), sizes.rend());
    return sizes;
}

int stray_pieces(const Layout &shape)
{
    std::vector<int> groups = floor_groups(shape);
    int stray = 0;
    for (size_t g = 0; g < groups.size(); g++)
        if (g >= 3 || groups[g] < std::min(6, shape.count))
            stray += groups[g];
    return stray;
}

// Pieces between each piece and the nearer end of its run of pieces in the row.
int buried_pieces(const Layout &shape)
{
    int buried = 0;
    for (int z = 0; z < layers; z++)
        for (int y = 0; y < rows; y++)
            for (int x = 0; x < columns;) {
                int run = 0;
                while (x + run < columns && shape.get(x + run, y, z) != 0)
                    run++;
                for (int k = 0; k < run; k++)
                    buried += std::min(k, run - 1 - k);
                x += run + 1;
            }
    return buried;
}

Looks shape_looks(const Layout &shape, const Plan &plan)
{
    Looks looks;
    int per_layer[layers] = {};
    for (int i = 0; i < Layout::cell_count; i++) {
        if (shape.cell(i) == 0)
            continue;
        int x = x_of(i), y = y_of(i), z = z_of(i);
        per_layer[z]++;
        for (int above = z + 1; above < layers && shape.get(x, y, above) != 0; above++)
            looks.stacked++;
        looks.outside += !plan.outline[i];
        int beside = neighbours(shape, x, y, z);
        looks.rim += 4 - beside;
        looks.lone += beside == 0;
        int below_open = z > 0 ? inner_sides(x, y) - neighbours(shape, x, y, z - 1) : 0;
        if (z > 0 && (below_open > 0 || inner_sides(x, y) < 4))
            looks.overhang++;
    }
    for (int z = 0; z < layers; z++)
        looks.profile += std::fabs(per_layer[z] - plan.pieces[z]);
    looks.stray = stray_pieces(shape);
    looks.buried = buried_pieces(shape);
    return looks;
}

// ---- Building a shape ------------------------------------------------------------------

// A pile of exactly `request.pieces` pieces, each layer about the planned count, laid from
// the middle of the grid outwards (with some noise) on the layer below.
Layout stepped_pile(const ShapeRequest &request, const Plan &plan, Dice &dice)
{
    Layout shape;
    shape.clear();
    MoveRules rules{request.layers, request.mirror};
    int step = request.mirror ? 2 : 1;
    for (int z = 0; z < request.layers && shape.count < request.pieces; z++) {
        std::vector<std::pair<double, int>> order;
        for (int i : cells_where(shape, rules, false))
            if (z_of(i) == z) {
                double dx = x_of(i) - 5.5, dy = (y_of(i) - 3.0) * 1.4;
                double outside = plan.outline[i] ? 0.0 : 100.0;
                order.push_back({dx * dx + dy * dy + 6.0 * dice.unit() + outside, i});
            }
        std::sort(order.begin(), order.end());
        bool top = z == request.layers - 1;
        int goal = static_cast<int>(std::lround(plan.pieces[z])), placed = 0;
        for (size_t k = 0; k < order.size() && shape.count < request.pieces; k++) {
            if (!top && placed + step > goal)
                break;
            placed += step;
            shape.set_cell(order[k].second, 1);
            if (request.mirror)
                shape.set_cell(twin(order[k].second), 1);
        }
    }
    // Whatever the layers asked for could not take goes wherever a piece may go.
    for (int i = 0; i < Layout::cell_count && shape.count < request.pieces; i++)
        if ((!request.mirror || x_of(i) < columns / 2) && placeable(shape, i, request.layers)) {
            shape.set_cell(i, 1);
            if (request.mirror)
                shape.set_cell(twin(i), 1);
        }
    return shape;
}

constexpr int anneal_steps = 20000;

// Reshapes by annealing: random moves, kept when they look better, and now and then when
// they look a little worse, less and less often as it cools.
Layout anneal_looks(Layout shape, const Plan &plan, double row_weight,
                    const MoveRules &rules, Dice &dice)
{
    const int steps = anneal_steps;
    double penalty = shape_looks(shape, plan).penalty(row_weight);
    Layout best = shape;
    double best_penalty = penalty;
    for (int s = 0; s < steps; s++) {
        double heat = 3.0 * std::pow(0.02, static_cast<double>(s) / steps);
        Layout next = shape;
        if (!random_move(next, rules, dice))
            continue;
        double p = shape_looks(next, plan).penalty(row_weight);
        if (p <= penalty || dice.unit() < std::exp((penalty - p) / heat)) {
            shape = next;
            penalty = p;
            if (p < best_penalty) {
                best = next;
                best_penalty = p;
            }
        }
    }
    return best;
}


// ---- Judging shapes by their deals -----------------------------------------------------

// Deals of `deals` that must clear for a share of at least `percent`.
int needed_for(double percent, int deals)
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
    // Work is counted in search positions, with a deal's own set-up counted as 60 of them;
    // the default budget takes about 35 s of processor time on the project's machines.
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

// A new shape: a stepped pile of a random steepness within random outlines, annealed to
// look right.
Layout fresh_shape(const ShapeRequest &request, double row_weight, Dice &dice, Judge &judge)
{
    judge.charge_shape_steps(anneal_steps);
    Plan plan;
    stepped_counts(plan, request.pieces, request.layers, 0.45 + 0.2 * dice.unit());
    draw_outlines(plan, request.mirror, dice);
    MoveRules rules{request.layers, request.mirror};
    return anneal_looks(stepped_pile(request, plan, dice), plan, row_weight, rules, dice);
}

// How near a rated shape came to the share: one rated through with fewer failures to
// expect is nearer; of two whose rating stopped early, the one that cleared more deals first.
bool nearer(const Verdict &a, const Verdict &b)
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

// ---- Mending a shape ---------------------------------------------------------------------

// The layer counts and the floor of a shape, as the plan it keeps to while it is mended.
Plan own_plan(const Layout &shape)
{
    Plan plan;
    for (int i = 0; i < Layout::cell_count; i++)
        plan.pieces[z_of(i)] += shape.cell(i) != 0;
    for (int i = 0; i < Layout::cell_count; i++)
        plan.outline[i] = shape.cell(i) != 0;
    return plan;
}

// How likely a mended shape is to be cleared more often, with its looks: short rows and
// low stacks are what most often let more deals be cleared.
double mending_penalty(const Looks &looks)
{
    return looks.penalty(4.0) + 1.0 * looks.stacked;
}

// The shapes one move away that the tracker has not rated yet, likeliest first, at most
// `count` of them.
std::vector<Layout> likeliest_moves(const Layout &shape, const MoveRules &rules,
                                    const Plan &plan, const Tracker &tracker, size_t count,
                                    Judge &judge)
{
    std::vector<std::pair<double, Layout>> moves;
    for (int from : cells_where(shape, rules, true)) {
        Layout lifted = shape;
        lifted.set_cell(from, 0);
        if (rules.mirror)
            lifted.set_cell(twin(from), 0);
        for (int to : cells_where(lifted, rules, false)) {
            Layout next = shape;
            if (apply_move(next, Move{from, to}, rules) && !tracker.seen(next))
                moves.push_back({mending_penalty(shape_looks(next, plan)), next});
        }
    }
    judge.charge_shape_steps(static_cast<long>(moves.size()));
    std::stable_sort(moves.begin(), moves.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Layout> likeliest;
    for (size_t k = 0; k < moves.size() && k < count; k++)
        likeliest.push_back(moves[k].second);
    return likeliest;
}

// Moves one piece (or mirrored pair) at a time, each the nearest to the share among the
// likeliest moves, until the shape reaches the share, no move brings it nearer, or the
// budget is spent. True when the share was reached (the tracker holds the shape).
bool mend(Layout shape, Verdict verdict, const MoveRules &rules, Judge &judge, Tracker &tracker)
{
    const size_t batch = 6, most = 24;  // moves rated before taking the nearest, at most
    Plan plan = own_plan(shape);
    while (!judge.spent()) {
        std::vector<Layout> moves = likeliest_moves(shape, rules, plan, tracker, most, judge);
        bool found = false;
        Layout nearest;
        Verdict nearest_verdict = verdict;
        for (size_t k = 0; k < moves.size() && !judge.spent(); k++) {
            if (found && k % batch == 0)
                break;
            // Rated through only while it may still beat the nearest so far.
            double allowed = nearest_verdict.complete ? nearest_verdict.expected_failures() - 0.1
                                                      : judge.allowed();
            Verdict v;
            if (tracker.try_shape(moves[k], allowed, v))
                return true;
            if (nearer(v, nearest_verdict)) {
                found = true;
                nearest = moves[k];
                nearest_verdict = v;
            }
        }
        if (!found)
            return false;
        shape = nearest;
        verdict = nearest_verdict;
    }
    return false;
}

}  // namespace

// ---- What the header offers -------------------------------------------------------------

std::string request_problem(const ShapeRequest &request)
{
    if (request.layers < 1 || request.layers > layers)
        return "the layers must be from 1 to 6";
    if (request.pieces < 2 || request.pieces % 2 != 0)
        return "the piece count must be even and at least 2 (pieces are taken in pairs)";
    if (request.pieces > layer_cells * request.layers)
        return std::to_string(request.layers) + " layer(s) hold at most " +
               std::to_string(layer_cells * request.layers) + " pieces";
    return "";
}

bool is_mirrored(const Layout &shape)
{
    for (int i = 0; i < Layout::cell_count; i++)
        if ((shape.cell(i) != 0) != (shape.cell(twin(i)) != 0))
            return false;
    return true;
}


SearchResult generate_layout(const ShapeRequest &request, const SearchOptions &options)
{
    Judge judge(options);
    Tracker tracker(judge, options);
    Dice dice(options.seed);
    MoveRules rules{request.layers, request.mirror};
    // Rounds of a few new shapes, each that falls short asking the next for shorter rows,
    // after which the nearest shape so far is mended until no move brings it nearer.
    const int fresh_shapes = 3;
    double row_weight = 3.0;
    while (!judge.spent()) {
        for (int k = 0; k < fresh_shapes && !judge.spent(); k++) {
            Verdict v;
            if (tracker.try_shape(fresh_shape(request, row_weight, dice, judge), v))
                return tracker.finish();
            row_weight = std::min(6.0, row_weight + 0.5);
        }
        if (mend(tracker.best_shape(), tracker.best_verdict(), rules, judge, tracker))
            break;
    }
    return tracker.finish();
}

// The top layer that holds a piece, plus one.
int layers_in_use(const Layout &shape)
{
    int used = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        if (shape.cell(i) != 0)
            used = z_of(i) + 1;
    return used;
}

SearchResult improve_layout(const Layout &input, const SearchOptions &options)
{
    Judge judge(options);
    Tracker tracker(judge, options);
    // The input is rated through, so that one already clearing often enough stays as it is.
    Verdict v;
    bool reached = tracker.try_shape(input, options.deals, v);
    Rating before = reached ? tracker.finish().final_rating : judge.final_rating(input);
    MoveRules rules{layers_in_use(input), is_mirrored(input)};
    // Mending again from the nearest shape tries the moves not rated yet.
    for (int rated = 0; !reached && !judge.spent() && tracker.shapes_rated() > rated;) {
        rated = tracker.shapes_rated();
        reached = mend(tracker.best_shape(), tracker.best_verdict(), rules, judge, tracker);
    }
    SearchResult result = tracker.finish();
    result.before = before;
    for (int i = 0; i < Layout::cell_count; i++)
        result.moved += result.shape.cell(i) != 0 && input.cell(i) == 0;
    return result;
}
