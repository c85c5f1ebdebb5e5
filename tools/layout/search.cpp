// The commands that search for shapes: generate makes a new one, improve mends one.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>

#include "board/layout_check.h"
#include "board/layout_text.h"
#include "layout/tool.h"
#include "platform/files.h"
#include "platform/system.h"
#include "solve/layout_generator.h"

namespace layout_tool {

namespace {

// The search settings of generate and improve: the rating settings, with 300 deals while
// searching, and --min-clear. The status to exit with on a problem, or 0.
int read_search_options(const Arguments &a, RatingSettings &settings, SearchOptions &options)
{
    auto min_clear = a.options.find("--min-clear");
    if (min_clear != a.options.end() && !parse_percent(min_clear->second, options.min_clear))
        return bad_arguments("--min-clear takes a share in percent from 0 to 100");
    settings.deals = 300;
    if (int status = read_rating_settings(a, settings))
        return status;
    apply_rating_settings(settings, options);
    return 0;
}

// What generate and improve read from their arguments.
struct SearchArguments {
    Arguments given;
    RatingSettings settings;
    SearchOptions options;
};

// Reads the arguments of generate or improve: exactly `files` layout files (else the message
// `files_problem`), the rating options and --min-clear, and the command's own options `own`,
// which `read_own` reads (giving a message or ""). The status to exit with on a problem, or 0.
int read_search_arguments(const char *command, const std::vector<std::string> &args,
                          size_t files, const char *files_problem,
                          const std::set<std::string> &own,
                          const std::function<std::string(const Arguments &)> &read_own,
                          SearchArguments &out)
{
    std::set<std::string> names = rating_option_names;
    names.insert("--min-clear");
    names.insert(own.begin(), own.end());
    std::string error = split_arguments(command, args, names, out.given);
    if (error.empty() && out.given.files.size() != files)
        error = files_problem;
    if (error.empty() && read_own)
        error = read_own(out.given);
    if (!error.empty())
        return bad_arguments(error);
    return read_search_options(out.given, out.settings, out.options);
}

// The rating settings of a final rating, to print it as `rate` does.
RatingSettings final_settings(const RatingSettings &search, const SearchOptions &options)
{
    RatingSettings s = search;
    s.deals = options.final_deals;
    return s;
}

// Reads --pieces, --layers and --symmetry; gives a message or "".
std::string read_request(const Arguments &a, ShapeRequest &request)
{
    long pieces = request.pieces, used_layers = request.layers;
    std::string error = number_option(a, "--pieces", 2, Layout::cell_count, pieces);
    if (error.empty())
        error = number_option(a, "--layers", 1, Layout::layers, used_layers);
    auto symmetry = a.options.find("--symmetry");
    if (error.empty() && symmetry != a.options.end()) {
        if (symmetry->second != "mirror" && symmetry->second != "none")
            error = "--symmetry takes mirror or none";
        request.mirror = symmetry->second == "mirror";
    }
    request.pieces = static_cast<int>(pieces);
    request.layers = static_cast<int>(used_layers);
    if (error.empty())
        error = request_problem(request);
    return error;
}

// A line on standard error, redrawn in place (at most ten times a second) while a search
// goes on; only on a terminal.
class SearchProgressLine {
public:
    SearchProgressLine()
        : shown_(stderr_is_terminal()), start_(std::chrono::steady_clock::now()), cpu_start_(std::clock())
    {
    }
    void update(const SearchProgress &p)
    {
        auto now = std::chrono::steady_clock::now();
        if (!shown_ || now - drawn_ < std::chrono::milliseconds(100))
            return;
        drawn_ = now;
        if (p.final)
            std::fprintf(stderr, "\r\033[Krating the shape found: deal %d of %d", p.deals_done,
                         p.deals);
        else
            std::fprintf(stderr,
                         "\r\033[Ksearching: shape %d, deal %d of %d; best so far %.1f %%; %d%% "
                         "of the budget", p.shapes_rated + 1, p.deals_done, p.deals,
                         p.best_share, static_cast<int>(100 * p.budget_used));
        std::fflush(stderr);
    }
    // Clears the line and says how long the search took.
    void done(int shapes_rated) const
    {
        if (shown_)
            std::fputs("\r\033[K", stderr);
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
        double cpu = static_cast<double>(std::clock() - cpu_start_) / CLOCKS_PER_SEC;
        std::fprintf(stderr, "tilestack-layout: %d shape(s) rated in %.1f s (%.1f s of processor "
                     "time)\n", shapes_rated, took.count(), cpu);
    }

private:
    bool shown_;
    std::chrono::steady_clock::time_point start_, drawn_{};
    std::clock_t cpu_start_;
};

// Says that the search fell short, and the best share it reached; the status is 1.
int fell_short(const SearchResult &result, const SearchOptions &options)
{
    std::fprintf(stderr,
                 "tilestack-layout: no shape clearing %g %% of %d deals was found within the "
                 "search budget; the best cleared %d of them (%.1f %%). Nothing was written.\n",
                 options.min_clear, options.deals, result.search_cleared, result.search_share);
    return 1;
}

// Runs a search (generate_layout or improve_layout with the options it is given) with the
// progress line drawn while it goes on.
template <typename Search>
SearchResult run_search(SearchOptions options, Search search)
{
    SearchProgressLine line;
    options.progress = [&line](const SearchProgress &p) { line.update(p); };
    SearchResult result = search(options);
    line.done(result.shapes_rated);
    return result;
}

// Whether a layout file can be written at `path`, asked before a long search rather than
// after it; the status to exit with (after saying why not), or 0.
int check_writable(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const FileFacts there = file_facts(path.c_str());
    if (!may_create_files_in(folder.c_str()) || there.folder) {
        std::fprintf(stderr, "tilestack-layout: cannot write %s (no such folder, no permission, "
                     "or a folder of that name)\n", path.c_str());
        return 1;
    }
    if (there.exists && !there.regular)
        return cannot_write(path, not_a_regular_file);  // as the write itself would refuse it
    return 0;
}

// Says so when the final rating falls short of the share that the search deals reached: the
// shape is kept (it met what was asked over the deals searched), but the author should know.
void note_final_share(const Rating &final_rating, const SearchOptions &options)
{
    double share = final_rating.deals > 0 ? 100.0 * final_rating.cleared / final_rating.deals : 0;
    if (share < options.min_clear)
        std::printf("note: at least %g %% of the %d deals searched can be cleared, but only %d "
                    "of the %d deals above (%.1f %%); searching more deals (--deals) gives a "
                    "surer shape\n",
                    options.min_clear, options.deals, final_rating.cleared, final_rating.deals,
                    share);
}

int generate(const std::vector<std::string> &args)
{
    ShapeRequest request;
    SearchArguments read;
    if (int status = read_search_arguments(
            "generate", args, 1, "generate takes one layout file to write",
            {"--pieces", "--layers", "--symmetry"},
            [&request](const Arguments &a) { return read_request(a, request); }, read))
        return status;
    const Arguments &a = read.given;
    const SearchOptions &options = read.options;
    if (int status = check_writable(a.files[0]))
        return status;

    SearchResult result = run_search(
        options, [&request](const SearchOptions &o) { return generate_layout(request, o); });
    if (!result.reached)
        return fell_short(result, options);
    if (int status = save_layout_file(result.shape, a.files[0]))
        return status;
    std::fputs(layout_to_text(result.shape).c_str(), stdout);
    print_rating(a.files[0], result.shape.count, result.final_rating,
                 final_settings(read.settings, options));
    note_final_share(result.final_rating, options);
    return 0;
}

// A layout improve can work on: pieces of value 1, each resting on something, an even count.
int check_improvable(const std::string &path, const Layout &shape)
{
    std::vector<std::string> problems = layout_problems(shape);
    for (const std::string &p : problems)
        std::fprintf(stderr, "tilestack-layout: %s: %s\n", path.c_str(), p.c_str());
    if (!problems.empty())
        std::fprintf(stderr, "tilestack-layout: improve needs a sound layout (see 'check')\n");
    return problems.empty() ? 0 : 1;
}

int improve(const std::vector<std::string> &args)
{
    SearchArguments read;
    if (int status = read_search_arguments(
            "improve", args, 2, "improve takes the layout file to read and the one to write", {},
            nullptr, read))
        return status;
    const SearchOptions &options = read.options;
    const std::string &in = read.given.files[0], &out = read.given.files[1];
    Layout input;
    if (int status = load_layout_file(in, input, Pieces::needed))
        return status;
    if (int status = check_improvable(in, input))
        return status;
    if (int status = check_writable(out))
        return status;

    SearchResult result = run_search(
        options, [&input](const SearchOptions &o) { return improve_layout(input, o); });
    if (!result.reached)
        return fell_short(result, options);
    // Written over the input only when asked to, and only when a piece moved.
    if (!(result.moved == 0 && same_file(in.c_str(), out.c_str())))
        if (int status = save_layout_file(result.shape, out))
            return status;
    RatingSettings final = final_settings(read.settings, options);
    std::printf("before:\n");
    print_rating(in, input.count, result.before, final);
    std::printf("after:\n");
    print_rating(out, result.shape.count, result.final_rating, final);
    std::printf("pieces moved: %d\n", result.moved);
    note_final_share(result.final_rating, options);
    return 0;
}

}  // namespace

const Command generate_command = {
    "generate",
    "usage: tilestack-layout generate OUT.lyt [--pieces N] [--layers L] [--symmetry "
    "mirror|none]\n"
    "         [--min-clear P] [--deals K] [--seed S] [--symbols N | --strip FILE.tga] "
    "[--nodes N]\n"
    "         [--more-nodes M] [--threads N]\n"
    "Makes a new shape of exactly N pieces (even; default 144) in at most L layers (1 to 6,\n"
    "default 5; a layer holds 84 pieces), each piece on the bottom layer or directly on a\n"
    "piece, the same in column x and column 11 - x unless --symmetry none. It is built to\n"
    "look like a hand-made board (solid groups, upper layers narrower than those below, no\n"
    "stray pieces) and kept only when at least P % (0 to 100, default 95) of K deals\n"
    "(default 300) can be cleared, dealt and searched as 'rate' does (deal k right after\n"
    "srand(S + k), S defaults to 1; --symbols, --strip, --nodes and --threads as for\n"
    "'rate'; --more-nodes, as for 'rate', only in the final rating). The seed\n"
    "also drives the search, and its budget is counted in work, not time: the same\n"
    "arguments always give the same shape. On a terminal a progress line shows the search;\n"
    "a last line on standard error says how long it took.\n"
    "The shape is written to OUT and printed as text grids with its rating over 1000 deals\n"
    "from seed S, the one 'rate' gives for OUT. Deal k is the same in both, but the share\n"
    "over 1000 deals may fall below P; a note line then says so.\n"
    "Exit status: 0 when the shape was written (with or without that note); 1, writing\n"
    "nothing, when no shape reached P within the search budget (the best share reached is\n"
    "named) or OUT cannot be written; 2 on bad arguments (an odd N, more pieces than L\n"
    "layers hold, P outside 0 to 100, an unknown option).\n",
    1, -1, generate};

const Command improve_command = {
    "improve",
    "usage: tilestack-layout improve IN.lyt OUT.lyt [--min-clear P] [--deals K] [--seed S]\n"
    "         [--symbols N | --strip FILE.tga] [--nodes N] [--more-nodes M] [--threads N]\n"
    "Moves as few pieces of IN as it can, one at a time (a mirrored pair at a time when IN is\n"
    "the same in column x and column 11 - x), keeping their count, every piece on the bottom\n"
    "layer or on a piece, no piece above IN's top layer, and that symmetry, until at least\n"
    "P % (0 to 100, default 95) of K deals (default 300) can be cleared, dealt and searched\n"
    "as for 'generate'. IN must pass 'check'. It then writes OUT and prints the ratings of IN\n"
    "(before) and of OUT (after) over 1000 deals from seed S, as 'rate' gives them, and the\n"
    "number of pieces moved; a note line as for 'generate' when OUT's share over those deals\n"
    "falls below P. A shape that already reaches P is written unchanged (\"pieces moved:\n"
    "0\"). IN is never written over unless OUT names the same file, and then only when a\n"
    "piece moved, through a new file renamed over it as the editor saves, so that a failed\n"
    "write leaves IN as it was.\n"
    "Exit status: 0 when OUT was written or left as it was; 1, writing nothing, when P was\n"
    "not reached within the search budget (the best share reached is named) or IN is not a\n"
    "sound layout or OUT cannot be written; 2 on bad arguments.\n",
    2, -1, improve};

}  // namespace layout_tool
