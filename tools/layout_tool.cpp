// tilestack-layout: check, show, convert, rate and make board shapes from the command line.
//
//   tilestack-layout show FILE.lyt
//   tilestack-layout check FILE.lyt...
//   tilestack-layout from-text SOURCE OUT.lyt
//   tilestack-layout to-text FILE.lyt
//   tilestack-layout rate FILE.lyt [--deals N] [--seed S] [--symbols N | --strip FILE.tga]
//                         [--nodes N] [--threads N]
//   tilestack-layout generate OUT.lyt [--pieces N] [--layers L] [--symmetry mirror|none]
//                             [--min-clear P] [--deals K] [--seed S] [--symbols N | --strip F]
//   tilestack-layout improve IN.lyt OUT.lyt [--min-clear P] [--deals K] [--seed S] [...]
//
// Exit status: 0 when all is well, 1 when a file is unsound or cannot be read or written or
// when generate or improve found no shape clearing its deals often enough, 2 on bad arguments.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/constants.h"
#include "board/files.h"
#include "board/layout.h"
#include "board/layout_check.h"
#include "board/layout_text.h"
#include "solve/layout_generator.h"
#include "solve/rating.h"

namespace {

const char *const overview =
    "usage: tilestack-layout COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  show FILE.lyt              the layers as text grids, the count and any problem\n"
    "  check FILE.lyt...          exit 0 when every file is a sound layout, 1 otherwise\n"
    "  from-text SOURCE OUT.lyt   write a layout file from its text form\n"
    "  to-text FILE.lyt           print a layout file in its text form\n"
    "  rate FILE.lyt [OPTIONS]    how often random deals of the shape can be cleared\n"
    "  generate OUT.lyt [OPTIONS] make a new shape whose deals can be cleared often enough\n"
    "  improve IN.lyt OUT.lyt [OPTIONS]\n"
    "                             move a few pieces until the deals can be cleared often enough\n"
    "\n"
    "'tilestack-layout COMMAND --help' tells more about one command.\n";

struct Command {
    const char *name;
    const char *help;
    int min_args;
    int max_args;  // -1: no limit
    int (*run)(const std::vector<std::string> &args);
};

int bad_arguments(const std::string &message)
{
    std::fprintf(stderr, "tilestack-layout: %s\n(try 'tilestack-layout --help')\n",
                 message.c_str());
    return 2;
}

// A layout file as it lies on disk: what is wrong with it as a file, its size, and the
// layout the game would load from it.
struct LayoutFile {
    std::string unreadable;  // why it cannot be read, or ""
    long long size = 0;
    Layout shape{};
};

// Why `path` cannot be read as a layout file at all, or "": only a regular file is opened,
// so a pipe or a device is refused at once instead of waited on.
std::string unreadable_reason(const std::string &path)
{
    FileFacts facts = file_facts(path.c_str());
    if (!facts.exists)
        return "cannot be read: no such file";
    if (!facts.regular)
        return "cannot be read: not a regular file (a folder, a pipe or a device)";
    return "";
}

// Reads through the game's own checked load; a file of another size is only measured.
LayoutFile read_layout_file(const std::string &path)
{
    LayoutFile file;
    file.shape.clear();
    file.unreadable = unreadable_reason(path);
    if (!file.unreadable.empty())
        return file;
    file.size = file_facts(path.c_str()).size;
    if (file.size >= Layout::cell_count && !file.shape.load(path.c_str()))
        file.unreadable = "cannot be read";
    return file;
}

// Everything wrong with a file as a layout, one line each.
std::vector<std::string> file_problems(const LayoutFile &file)
{
    if (!file.unreadable.empty())
        return {file.unreadable};
    std::vector<std::string> problems;
    if (file.size != Layout::cell_count)
        problems.push_back("wrong size: " + std::to_string(file.size) +
                           " bytes (a layout file has exactly 504)");
    if (file.size < Layout::cell_count)
        return problems;  // the game would not load it; the rest says nothing
    for (const std::string &p : layout_problems(file.shape))
        problems.push_back(p);
    return problems;
}

std::string layer_list(int used)
{
    std::string list;
    for (int z = 0; z < Layout::layers; z++)
        if (used & (1 << z))
            list += (list.empty() ? "" : ", ") + std::to_string(z);
    return list.empty() ? "none" : list;
}

int show(const std::vector<std::string> &args)
{
    const std::string &path = args[0];
    LayoutFile file = read_layout_file(path);
    std::vector<std::string> problems = file_problems(file);
    if (file.unreadable.empty() && file.size >= Layout::cell_count) {
        std::fputs(layout_to_text(file.shape).c_str(), stdout);
        std::printf("pieces: %d\nlayers used: %s\n", file.shape.count,
                    layer_list(layers_used(file.shape)).c_str());
    }
    for (const std::string &p : problems)
        std::printf("problem: %s\n", p.c_str());
    if (problems.empty())
        std::printf("no problems\n");
    return problems.empty() ? 0 : 1;
}

int check(const std::vector<std::string> &args)
{
    int status = 0;
    for (const std::string &path : args) {
        std::vector<std::string> problems = file_problems(read_layout_file(path));
        for (const std::string &p : problems)
            std::printf("%s: %s\n", path.c_str(), p.c_str());
        if (!problems.empty())
            status = 1;
    }
    return status;
}

// Loads a layout file as the game does; the status to exit with (after saying why it cannot
// be read) or 0.
int read_layout(const std::string &path, Layout &shape)
{
    shape.clear();
    std::string reason = unreadable_reason(path);
    if (reason.empty() && shape.load(path.c_str()))
        return 0;
    if (reason.empty())
        reason = "not a readable layout file of 504 bytes";
    std::fprintf(stderr, "tilestack-layout: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

int from_text(const std::vector<std::string> &args)
{
    std::ifstream in(args[0]);
    if (!in) {
        std::fprintf(stderr, "tilestack-layout: cannot read %s\n", args[0].c_str());
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    Layout shape;
    std::string error;
    if (!layout_from_text(text.str(), shape, error)) {
        std::fprintf(stderr, "tilestack-layout: %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    if (!shape.save(args[1].c_str())) {
        std::fprintf(stderr, "tilestack-layout: cannot write %s\n", args[1].c_str());
        return 1;
    }
    return 0;
}

int to_text(const std::vector<std::string> &args)
{
    Layout shape;
    if (int status = read_layout(args[0], shape))
        return status;
    std::fputs(layout_to_text(shape).c_str(), stdout);
    return 0;
}

// A whole number from min to max, or false.
bool parse_number(const std::string &text, long min, long max, long &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    value = v;
    return true;
}

// Symbols in a strip picture: its width (from the TGA header) divided by the symbol size, or
// -1.
int strip_symbols(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char header[18];
    if (!in.read(reinterpret_cast<char *>(header), sizeof header))
        return -1;
    int image_type = header[2];
    bool known = image_type == 1 || image_type == 2 || image_type == 3 || image_type == 9 ||
                 image_type == 10 || image_type == 11;
    int width = header[12] | header[13] << 8;
    return known ? symbols_in_strip(width) : -1;
}

// A progress bar on standard error, redrawn in place; only where that is a terminal.
class ProgressBar {
public:
    explicit ProgressBar(int total) : total_(total), shown_(isatty(2) && total > 0) {}
    void update(int done)
    {
        if (!shown_)
            return;
        const int width = 40;
        int filled = static_cast<int>(static_cast<long>(done) * width / total_);
        std::fprintf(stderr, "\r[%s%s] %3d%% %d/%d", std::string(filled, '#').c_str(),
                     std::string(width - filled, '.').c_str(),
                     static_cast<int>(static_cast<long>(done) * 100 / total_), done, total_);
        if (done == total_)
            std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

private:
    int total_;
    bool shown_;
};

// The arguments of a command that rates shapes: its files and its "--name value" options.
struct Arguments {
    std::vector<std::string> files;
    std::map<std::string, std::string> options;
};

// Splits arguments into files and options of the names allowed; gives a message or "".
std::string split_arguments(const std::string &command, const std::vector<std::string> &args,
                            const std::set<std::string> &allowed, Arguments &out)
{
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &a = args[i];
        if (a.empty() || a[0] != '-') {
            out.files.push_back(a);
        } else if (!allowed.count(a)) {
            return "unknown option '" + a + "' for " + command;
        } else if (i + 1 >= args.size()) {
            return a + " needs a value";
        } else {
            out.options[a] = args[++i];
        }
    }
    return "";
}

// The whole-number option `name`, from min to max; `value` keeps its default when the
// option is not given. Gives a message or "".
std::string number_option(const Arguments &a, const std::string &name, long min, long max,
                          long &value)
{
    auto it = a.options.find(name);
    if (it == a.options.end() || parse_number(it->second, min, max, value))
        return "";
    return name + " takes a whole number from " + std::to_string(min) + " to " +
           std::to_string(max);
}

// A share in percent from 0 to 100, such as 95 or 97.5.
bool parse_percent(const std::string &text, double &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char *end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v >= 0 && v <= 100))
        return false;
    value = v;
    return true;
}

// The symbol strip the game reads from its folder, and how many symbols it holds.
const char *const shipped_strip = "geek.tga";
constexpr int shipped_symbols = 36;

// How deals are rated, as --deals, --seed, --nodes and --symbols or --strip give it.
struct RatingSettings {
    long deals = 1000;
    long seed = 1;
    long symbols = -1;
    long nodes = 20000;
    long threads = 0;  // 0: one per core
};

// Reads the rating settings; the status to exit with on a problem (after saying what it
// is), or 0.
int read_rating_settings(const Arguments &a, RatingSettings &s)
{
    std::string error = number_option(a, "--deals", 1, 10000000, s.deals);
    if (error.empty())
        error = number_option(a, "--seed", 0, UINT_MAX, s.seed);
    if (error.empty())
        error = number_option(a, "--symbols", 1, 252, s.symbols);
    if (error.empty())
        error = number_option(a, "--nodes", 1, 1000000000, s.nodes);
    if (error.empty())
        error = number_option(a, "--threads", 0, 256, s.threads);
    if (!error.empty())
        return bad_arguments(error);
    if (s.symbols > 0)
        return 0;
    auto strip = a.options.find("--strip");
    std::string path = strip == a.options.end() ? shipped_strip : strip->second;
    s.symbols = strip_symbols(path);
    if (s.symbols >= 1)
        return 0;
    if (strip == a.options.end() && !file_facts(path.c_str()).exists) {
        // Rating a layout of one's own, away from the game's files: the strip the game ships.
        s.symbols = shipped_symbols;
        std::fprintf(stderr, "tilestack-layout: no %s here; counting the %d symbols of the strip "
                     "the game ships\n", shipped_strip, shipped_symbols);
        return 0;
    }
    std::fprintf(stderr,
                 "tilestack-layout: cannot count the symbols in %s (a TGA picture at least %d "
                 "pixels wide); give --symbols N or --strip FILE.tga\n",
                 path.c_str(), symbol_size);
    return 1;
}

const std::set<std::string> rating_option_names = {"--deals", "--seed",  "--symbols",
                                                    "--strip", "--nodes", "--threads"};

// Loads the layout file a command reads, with pieces; the status to exit with on a problem,
// or 0.
int load_layout_file(const std::string &path, Layout &shape)
{
    if (int status = read_layout(path, shape))
        return status;
    if (shape.count == 0) {
        std::fprintf(stderr, "tilestack-layout: %s holds no pieces\n", path.c_str());
        return 1;
    }
    return 0;
}

void print_rating(const std::string &file, int pieces, const Rating &r, const RatingSettings &s)
{
    auto share = [&r](int n) { return 100.0 * n / r.deals; };
    std::printf("%s: %d pieces, %d deals from seed %ld, %ld symbols, at most %ld search "
                "positions a deal\n",
                file.c_str(), pieces, r.deals, s.seed, s.symbols, s.nodes);
    std::printf("  can be cleared:                %6.1f %%\n", share(r.cleared));
    std::printf("  cannot be cleared:             %6.1f %%\n", share(r.stuck));
    std::printf("  unknown (search limit):        %6.1f %%\n", share(r.unknown));
    std::printf("  cleared taking the first pair: %6.1f %%\n", share(r.first_pair));
}

int rate(const std::vector<std::string> &args)
{
    Arguments a;
    std::string error = split_arguments("rate", args, rating_option_names, a);
    if (error.empty() && a.files.size() != 1)
        error = a.files.empty() ? "rate needs a layout file" : "rate takes one layout file";
    if (!error.empty())
        return bad_arguments(error);
    RatingSettings settings;
    if (int status = read_rating_settings(a, settings))
        return status;
    Layout shape;
    if (int status = load_layout_file(a.files[0], shape))
        return status;

    RatingOptions options;
    options.deals = static_cast<int>(settings.deals);
    options.seed = static_cast<unsigned>(settings.seed);
    options.symbols = static_cast<int>(settings.symbols);
    options.node_limit = settings.nodes;
    options.threads = static_cast<int>(settings.threads);
    ProgressBar bar(options.deals);
    options.progress = [&bar](int done) { bar.update(done); };
    print_rating(a.files[0], shape.count, rate_layout(shape, options), settings);
    return 0;
}

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
    options.deals = static_cast<int>(settings.deals);
    options.seed = static_cast<unsigned>(settings.seed);
    options.symbols = static_cast<int>(settings.symbols);
    options.node_limit = settings.nodes;
    options.threads = static_cast<int>(settings.threads);
    return 0;
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
        : shown_(isatty(2)), start_(std::chrono::steady_clock::now()), cpu_start_(std::clock())
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
    struct stat info;
    bool ok = stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
              access(folder.c_str(), W_OK | X_OK) == 0;
    if (ok && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        ok = false;
    if (ok)
        return 0;
    std::fprintf(stderr, "tilestack-layout: cannot write %s (no such folder, no permission, "
                 "or a folder of that name)\n", path.c_str());
    return 1;
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

int save_layout_file(const Layout &shape, const std::string &path)
{
    if (shape.save(path.c_str()))
        return 0;
    std::fprintf(stderr, "tilestack-layout: cannot write %s\n", path.c_str());
    return 1;
}

int generate(const std::vector<std::string> &args)
{
    std::set<std::string> names = rating_option_names;
    names.insert({"--pieces", "--layers", "--symmetry", "--min-clear"});
    Arguments a;
    ShapeRequest request;
    std::string error = split_arguments("generate", args, names, a);
    if (error.empty() && a.files.size() != 1)
        error = "generate takes one layout file to write";
    if (error.empty())
        error = read_request(a, request);
    if (!error.empty())
        return bad_arguments(error);
    RatingSettings settings;
    SearchOptions options;
    if (int status = read_search_options(a, settings, options))
        return status;
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
                 final_settings(settings, options));
    note_final_share(result.final_rating, options);
    return 0;
}

// True when both paths name one file (the same path, or links to one file).
bool same_file(const std::string &a, const std::string &b)
{
    struct stat sa, sb;
    if (a == b)
        return true;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
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
    std::set<std::string> names = rating_option_names;
    names.insert("--min-clear");
    Arguments a;
    std::string error = split_arguments("improve", args, names, a);
    if (error.empty() && a.files.size() != 2)
        error = "improve takes the layout file to read and the one to write";
    if (!error.empty())
        return bad_arguments(error);
    RatingSettings settings;
    SearchOptions options;
    if (int status = read_search_options(a, settings, options))
        return status;
    const std::string &in = a.files[0], &out = a.files[1];
    Layout input;
    if (int status = load_layout_file(in, input))
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
    if (!(result.moved == 0 && same_file(in, out)))
        if (int status = save_layout_file(result.shape, out))
            return status;
    RatingSettings final = final_settings(settings, options);
    std::printf("before:\n");
    print_rating(in, input.count, result.before, final);
    std::printf("after:\n");
    print_rating(out, result.shape.count, result.final_rating, final);
    std::printf("pieces moved: %d\n", result.moved);
    note_final_share(result.final_rating, options);
    return 0;
}

const Command commands[] = {
    {"show",
     "usage: tilestack-layout show FILE.lyt\n"
     "Prints each used layer as a grid ('.' empty, 'o' a piece, [v] another value), the number\n"
     "of pieces, the layers used and any problem. Exit status 1 when there is a problem.\n",
     1, 1, show},
    {"check",
     "usage: tilestack-layout check FILE.lyt...\n"
     "Prints one line per problem: wrong size, no pieces, an odd count, pieces resting on\n"
     "nothing, cell values other than 0 and 1. Exit status 0 when every file is sound.\n",
     1, -1, check},
    {"from-text",
     "usage: tilestack-layout from-text SOURCE OUT.lyt\n"
     "Writes the layout file for a text source: 'layer N' lines, each followed by 7 rows of\n"
     "12 cells ('.' empty, 'o' a piece, [v] a value from 0 to 255); '#' starts a comment.\n",
     2, 2, from_text},
    {"to-text",
     "usage: tilestack-layout to-text FILE.lyt\n"
     "Prints a layout file in the text form that from-text reads; the two round-trip exactly.\n",
     1, 1, to_text},
    {"rate",
     "usage: tilestack-layout rate FILE.lyt [--deals N] [--seed S] [--symbols N | --strip "
     "FILE.tga] [--nodes N]\n"
     "         [--threads N]\n"
     "Deals the shape N times (default 1000) exactly as the game does, deal k right after\n"
     "srand(S + k) (S defaults to 1), and prints the share of deals that can be cleared,\n"
     "that cannot, and that the search gave up on within N positions (--nodes, default\n"
     "20000), and the share that a player who always takes the first pair available clears.\n"
     "The number of symbols is --symbols, or the width of the symbol strip (--strip, default\n"
     "geek.tga in the current folder) divided by the width of one symbol; without --strip\n"
     "and with no geek.tga in the folder, the 36 symbols of the strip the game ships.\n"
     "The deals are shared out over N threads (--threads, default 0: one per core); the\n"
     "counts are the same whatever N is.\n",
     1, -1, rate},
    {"generate",
     "usage: tilestack-layout generate OUT.lyt [--pieces N] [--layers L] [--symmetry "
     "mirror|none]\n"
     "         [--min-clear P] [--deals K] [--seed S] [--symbols N | --strip FILE.tga] "
     "[--nodes N] [--threads N]\n"
     "Makes a new shape of exactly N pieces (even; default 144) in at most L layers (1 to 6,\n"
     "default 5; a layer holds 84 pieces), each piece on the bottom layer or directly on a\n"
     "piece, the same in column x and column 11 - x unless --symmetry none. It is built to\n"
     "look like a hand-made board (solid groups, upper layers narrower than those below, no\n"
     "stray pieces) and kept only when at least P % (0 to 100, default 95) of K deals\n"
     "(default 300) can be cleared, dealt and searched as 'rate' does (deal k right after\n"
     "srand(S + k), S defaults to 1; --symbols, --strip, --nodes and --threads as for\n"
     "'rate'). The seed\n"
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
     1, -1, generate},
    {"improve",
     "usage: tilestack-layout improve IN.lyt OUT.lyt [--min-clear P] [--deals K] [--seed S]\n"
     "         [--symbols N | --strip FILE.tga] [--nodes N] [--threads N]\n"
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
     2, -1, improve},
};

}  // namespace

int main(int argc, char *argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return bad_arguments("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(overview, stdout);
        return 0;
    }
    for (const Command &command : commands) {
        if (args[0] != command.name)
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const std::string &a : rest)
            if (a == "--help" || a == "-h") {
                std::fputs(command.help, stdout);
                return 0;
            }
        int n = static_cast<int>(rest.size());
        if (n < command.min_args || (command.max_args >= 0 && n > command.max_args))
            return bad_arguments(std::string("wrong number of arguments for ") + command.name +
                                 "\n" + command.help);
        return command.run(rest);
    }
    return bad_arguments("unknown command '" + args[0] + "'");
}
