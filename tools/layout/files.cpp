// Reading and writing layout files for the commands, with a message for each failure.
#include <cstdio>

#include "layout/tool.h"
#include "platform/files.h"

namespace layout_tool {

std::string unreadable_reason(const std::string &path)
{
    FileFacts facts = file_facts(path.c_str());
    if (!facts.exists)
        return "cannot be read: no such file";
    if (!facts.regular)
        return "cannot be read: not a regular file (a folder, a pipe or a device)";
    return "";
}

int load_layout_file(const std::string &path, Layout &shape, Pieces pieces)
{
    shape.clear();
    std::string reason = unreadable_reason(path);
    if (reason.empty() && shape.load(path.c_str())) {
        if (pieces == Pieces::any || shape.count > 0)
            return 0;
        std::fprintf(stderr, "tilestack-layout: %s holds no pieces\n", path.c_str());
        return 1;
    }
    if (reason.empty())
        reason = "not a readable layout file of " + std::to_string(Layout::cell_count) + " bytes";
    std::fprintf(stderr, "tilestack-layout: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

int save_layout_file(const Layout &shape, const std::string &path)
{
    std::string why;
    if (replace_file(path.c_str(), shape.cells, Layout::cell_count, &why))
        return 0;
    return cannot_write(path, why);
}

int cannot_write(const std::string &path, const std::string &why)
{
    std::fprintf(stderr, "tilestack-layout: cannot write %s: %s (any old file is as it was)\n",
                 path.c_str(), why.c_str());
    return 1;
}

}  // namespace layout_tool
