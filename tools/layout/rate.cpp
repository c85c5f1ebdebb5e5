// The rate command, and the rating settings and output that generate and improve share with
// it.
#include <climits>
#include <cstdio>
#include <fstream>

#include "board/constants.h"
#include "layout/tool.h"
#include "platform/files.h"
#include "platform/system.h"

namespace layout_tool {

namespace {

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
    explicit ProgressBar(int total) : total_(total), shown_(stderr_is_terminal() && total > 0) {}
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

// The symbol strip the game reads from its folder.
const char *const shipped_strip = "geek.tga";

}  // namespace

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
        error = number_option(a, "--more-nodes", 0, 1000000000, s.more_nodes);
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
        s.symbols = shipped_symbol_count;
        std::fprintf(stderr, "tilestack-layout: no %s here; counting the %d symbols of the strip "
                     "the game ships\n", shipped_strip, shipped_symbol_count);
        return 0;
    }
    std::fprintf(stderr,
                 "tilestack-layout: cannot count the symbols in %s (a TGA picture at least %d "
                 "pixels wide); give --symbols N or --strip FILE.tga\n",
                 path.c_str(), symbol_size);
    return 1;
}

const std::set<std::string> rating_option_names = {
    "--deals", "--seed", "--symbols", "--strip", "--nodes", "--more-nodes", "--threads"};


void print_rating(const std::string &file, int pieces, const Rating &r, const RatingSettings &s)
{
    auto share = [&r](int n) { return 100.0 * n / r.deals; };
    std::printf("%s: %d pieces, %d deals from seed %ld, %ld symbols, at most %ld search "
                "positions a deal\n",
                file.c_str(), pieces, r.deals, s.seed, s.symbols, s.nodes);
    if (s.more_nodes > 0)
        std::printf("  then up to %ld for each deal left open, %ld in all\n", s.more_nodes,
                    s.deals * s.nodes);
    std::printf("  can be cleared:                %6.1f %%\n", share(r.cleared));
    std::printf("  cannot be cleared:             %6.1f %%\n", share(r.stuck));
    std::printf("  unknown (search limit):        %6.1f %%\n", share(r.unknown));
    std::printf("  cleared taking the first pair: %6.1f %%\n", share(r.first_pair));
}

namespace {

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
    if (int status = load_layout_file(a.files[0], shape, Pieces::needed))
        return status;

    RatingOptions options;
    apply_rating_settings(settings, options);
    ProgressBar bar(options.deals);
    options.progress = [&bar](int done) { bar.update(done); };
    print_rating(a.files[0], shape.count, rate_layout(shape, options), settings);
    return 0;
}

}  // namespace

const Command rate_command = {
    "rate",
    "usage: tilestack-layout rate FILE.lyt [--deals N] [--seed S] [--symbols N | --strip "
    "FILE.tga] [--nodes N]\n"
    "         [--more-nodes M] [--threads N]\n"
    "Deals the shape N times (default 1000) exactly as the game does, deal k right after\n"
    "srand(S + k) (S defaults to 1), and prints the share of deals that can be cleared,\n"
    "that cannot, and that the search gave up on within N positions (--nodes, default\n"
    "20000), and the share that a player who always takes the first pair available clears.\n"
    "The deals left open within N positions are searched again, each within M positions\n"
    "(--more-nodes, default 5000000; 0: none), the deals' count times N in all: each open\n"
    "deal gets the smaller of M and its share of that.\n"
    "The number of symbols is --symbols, or the width of the symbol strip (--strip, default\n"
    "geek.tga in the current folder) divided by the width of one symbol; without --strip\n"
    "and with no geek.tga in the folder, the 36 symbols of the strip the game ships.\n"
    "The deals are shared out over N threads (--threads, default 0: one per core); the\n"
    "counts are the same whatever N is.\n",
    1, -1, rate};

}  // namespace layout_tool
