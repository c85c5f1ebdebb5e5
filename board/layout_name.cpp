#include "board/layout_name.h"

#include <cstdio>

#include "board/layout_text.h"
#include "platform/files.h"

std::string name_file_for(const std::string &layout_path)
{
    const size_t slash = layout_path.find_last_of("/\\");
    const size_t dot = layout_path.rfind('.');
    const bool has_extension = dot != std::string::npos && dot > 0 &&
                               (slash == std::string::npos || dot > slash + 1);
    return (has_extension ? layout_path.substr(0, dot) : layout_path) + ".name";
}

std::string read_layout_name(const std::string &layout_path)
{
    std::FILE *file = open_regular_file(name_file_for(layout_path).c_str());
    if (!file)
        return "";
    // A line longer than any name is no name: read one byte more than a name and its line end.
    char buffer[board_name_max_bytes + 3];
    const size_t got = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    std::string line(buffer, got);
    const size_t end = line.find('\n');
    if (end == std::string::npos && got == sizeof buffer)
        return "";
    line = line.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return board_name_problem(line).empty() ? line : "";
}

bool write_layout_name(const std::string &layout_path, const std::string &name, std::string *why)
{
    const std::string text = name + "\n";
    return replace_file(name_file_for(layout_path).c_str(),
                        reinterpret_cast<const unsigned char *>(text.data()), text.size(), why);
}
