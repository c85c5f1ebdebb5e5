// tilestack-layout: check, show and convert board shapes from the command line.
//
//   tilestack-layout show FILE.lyt
//   tilestack-layout check FILE.lyt...
//   tilestack-layout from-text SOURCE OUT.lyt
//   tilestack-layout to-text FILE.lyt
//   tilestack-layout rate FILE.lyt [--deals N] [--seed S] [--symbols N | --strip FILE.tga]
//
// Exit status: 0 when all is well, 1 when a file is unsound or cannot be read or written,
// 2 on bad arguments.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "board/layout.h"
#include "board/layout_check.h"
#include "board/layout_text.h"
#include "play/rating.h"

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

// A layout file as it lies on disk: its bytes, and the layout the game would load from it.
struct LayoutFile {
    bool readable = false;
    size_t size = 0;
    Layout shape{};
};

LayoutFile read_layout_file(const std::string &path)
{
    LayoutFile file;
    file.shape.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return file;
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    if (in.bad())
        return file;
    file.readable = true;
    file.size = bytes.size();
    for (size_t i = 0; i < bytes.size() && i < Layout::cell_count; i++)
        file.shape.set_cell(static_cast<int>(i), bytes[i]);
    return file;
}

// Everything wrong with a file as a layout, one line each.
std::vector<std::string> file_problems(const LayoutFile &file)
{
    if (!file.readable)
        return {"cannot be read"};
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
    if (file.readable && file.size >= Layout::cell_count) {
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
    shape.clear();
    if (!shape.load(args[0].c_str())) {
        std::fprintf(stderr, "tilestack-layout: %s is not a readable layout file of 504 bytes\n",
                     args[0].c_str());
        return 1;
    }
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

// Symbols in a strip picture: its width (from the TGA header) divided by 27, or -1.
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
    return known ? width / 27 : -1;
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

int rate(const std::vector<std::string> &args)
{
    RatingOptions options;
    std::string file, strip = "geek.tga";
    long symbols = -1;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &a = args[i];
        bool has_value = i + 1 < args.size();
        long v = 0;
        if (a == "--deals" || a == "--seed" || a == "--symbols" || a == "--nodes" ||
            a == "--strip") {
            if (!has_value)
                return bad_arguments(a + " needs a value");
            const std::string &value = args[++i];
            if (a == "--strip") {
                strip = value;
            } else if (a == "--deals") {
                if (!parse_number(value, 1, 10000000, v))
                    return bad_arguments("--deals takes a whole number from 1 to 10000000");
                options.deals = static_cast<int>(v);
            } else if (a == "--seed") {
                if (!parse_number(value, 0, UINT_MAX, v))
                    return bad_arguments("--seed takes a whole number from 0 to 4294967295");
                options.seed = static_cast<unsigned>(v);
            } else if (a == "--symbols") {
                if (!parse_number(value, 1, 252, v))
                    return bad_arguments("--symbols takes a whole number from 1 to 252");
                symbols = v;
            } else {
                if (!parse_number(value, 1, 1000000000, v))
                    return bad_arguments("--nodes takes a whole number from 1 to 1000000000");
                options.node_limit = v;
            }
        } else if (!a.empty() && a[0] == '-') {
            return bad_arguments("unknown option '" + a + "' for rate");
        } else if (file.empty()) {
            file = a;
        } else {
            return bad_arguments("rate takes one layout file");
        }
    }
    if (file.empty())
        return bad_arguments("rate needs a layout file");

    Layout shape;
    shape.clear();
    if (!shape.load(file.c_str())) {
        std::fprintf(stderr, "tilestack-layout: %s is not a readable layout file of 504 bytes\n",
                     file.c_str());
        return 1;
    }
    if (shape.count == 0) {
        std::fprintf(stderr, "tilestack-layout: %s holds no pieces\n", file.c_str());
        return 1;
    }
    if (symbols < 0) {
        symbols = strip_symbols(strip);
        if (symbols < 1) {
            std::fprintf(stderr,
                         "tilestack-layout: cannot count the symbols in %s (a TGA picture at "
                         "least 27 pixels wide); give --symbols N or --strip FILE.tga\n",
                         strip.c_str());
            return 1;
        }
    }
    options.symbols = static_cast<int>(symbols);

    ProgressBar bar(options.deals);
    options.progress = [&bar](int done) { bar.update(done); };
    Rating r = rate_layout(shape, options);
    auto share = [&r](int n) { return 100.0 * n / r.deals; };
    std::printf("%s: %d pieces, %d deals from seed %u, %d symbols, at most %ld search "
                "positions a deal\n",
                file.c_str(), shape.count, r.deals, options.seed, options.symbols,
                options.node_limit);
    std::printf("  can be cleared:                %6.1f %%\n", share(r.cleared));
    std::printf("  cannot be cleared:             %6.1f %%\n", share(r.stuck));
    std::printf("  unknown (search limit):        %6.1f %%\n", share(r.unknown));
    std::printf("  cleared taking the first pair: %6.1f %%\n", share(r.first_pair));
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
     "Deals the shape N times (default 1000) exactly as the game does, deal k right after\n"
     "srand(S + k) (S defaults to 1), and prints the share of deals that can be cleared,\n"
     "that cannot, and that the search gave up on within N positions (--nodes, default\n"
     "20000), and the share that a player who always takes the first pair available clears.\n"
     "The number of symbols is --symbols, or the width of the symbol strip (--strip, default\n"
     "geek.tga in the current folder) divided by 27.\n",
     1, -1, rate},
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
