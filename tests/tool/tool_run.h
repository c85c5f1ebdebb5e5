// Running tilestack-layout as a layout author runs it, for the tool's tests.
#pragma once

#include <string>

#include "board/layout.h"
#include "support/files.h"

struct ToolRun {
    int status = -1;
    std::string output;  // standard output and error together
};

// The argument quoted for the shell.
std::string shell_word(const std::string &s);

// Runs the tool with the arguments (as the shell splits them).
ToolRun tool(const std::string &arguments);
// The same, run in `folder`.
ToolRun tool_in(const std::string &folder, const std::string &arguments);

bool has(const ToolRun &run, const std::string &text);

// Saves the layout in the folder under the name; gives its path.
std::string saved(const TempDir &dir, const std::string &name, const Layout &b);
