// tilestack-layout: check, show and convert board shapes from the command line.
//
//   tilestack-layout show FILE.lyt
//   tilestack-layout check FILE.lyt...
//   tilestack-layout from-text SOURCE OUT.lyt
//   tilestack-layout to-text FILE.lyt
//
// Exit status: 0 when all is well, 1 when a file is unsound or cannot be read or written,
// 2 on bad arguments.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "board/layout.h"
#include "board/layout_check.h"
#include "board/layout_text.h"

namespace {

const char *const overview =
    "usage: tilestack-layout COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  show FILE.lyt              the layers as text grids, the count and any problem\n"
    "  check FILE.lyt...          exit 0 when every file is a sound layout, 1 otherwise\n"
    "  from-text SOURCE OUT.lyt   write a layout file from its text form\n"
    "  to-text FILE.lyt           print a layout file in its text form\n"
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
