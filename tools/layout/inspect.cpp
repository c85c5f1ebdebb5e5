// The commands that look at layout files and convert them: show, check, from-text and
// to-text.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "board/layout_check.h"
#include "board/layout_name.h"
#include "board/layout_text.h"
#include "layout/tool.h"
#include "platform/files.h"

namespace layout_tool {

namespace {

// A layout file as it lies on disk: what is wrong with it as a file, its size, and the
// layout the game would load from it.
struct LayoutFile {
    std::string unreadable;  // why it cannot be read, or ""
    long long size = 0;
    Layout shape{};
};

// Reads through the game's own checked load; a file of another size is only measured.
LayoutFile layout_file_on_disk(const std::string &path)
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
                           " bytes (a layout file has exactly " +
                           std::to_string(Layout::cell_count) + ")");
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
    LayoutFile file = layout_file_on_disk(path);
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
        std::vector<std::string> problems = file_problems(layout_file_on_disk(path));
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
    std::string error, name;
    if (!layout_from_text(text.str(), shape, error, name)) {
        std::fprintf(stderr, "tilestack-layout: %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    if (int status = save_layout_file(shape, args[1]))
        return status;
    std::string why;
    if (!name.empty() && !write_layout_name(args[1], name, &why))
        return cannot_write(name_file_for(args[1]), why);
    return 0;
}

int to_text(const std::vector<std::string> &args)
{
    Layout shape;
    if (int status = load_layout_file(args[0], shape, Pieces::any))
        return status;
    std::fputs(layout_to_text(shape, read_layout_name(args[0])).c_str(), stdout);
    return 0;
}

}  // namespace

const Command show_command = {
    "show",
    "usage: tilestack-layout show FILE.lyt\n"
    "Prints each used layer as a grid ('.' empty, 'o' a piece, [v] another value), the number\n"
    "of pieces, the layers used and any problem. Exit status 1 when there is a problem.\n",
    1, 1, show};

const Command check_command = {
    "check",
    "usage: tilestack-layout check FILE.lyt...\n"
    "Prints one line per problem: wrong size, no pieces, an odd count, pieces resting on\n"
    "nothing, cell values other than 0 and 1. Exit status 0 when every file is sound.\n",
    1, -1, check};

const Command from_text_command = {
    "from-text",
    "usage: tilestack-layout from-text SOURCE OUT.lyt\n"
    "Writes the layout file for a text source: 'layer N' lines, each followed by 7 rows of\n"
    "12 cells ('.' empty, 'o' a piece, [v] a value from 0 to 255); '#' starts a comment.\n"
    "A line 'name: NAME' before the first layer names the board: the name is written to\n"
    "a side file beside OUT.lyt of the same stem, OUT.name (a missing name leaves any\n"
    "such file as it is).\n",
    2, 2, from_text};

const Command to_text_command = {
    "to-text",
    "usage: tilestack-layout to-text FILE.lyt\n"
    "Prints a layout file in the text form that from-text reads; the two round-trip exactly.\n"
    "The board's name, from the side file FILE.name beside it, comes first as 'name: NAME'.\n",
    1, 1, to_text};

}  // namespace layout_tool
