#include "tool/tool_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

std::string shell_word(const std::string &s) { return "'" + s + "'"; }

ToolRun tool(const std::string &arguments) { return tool_in("", arguments); }

ToolRun tool_in(const std::string &folder, const std::string &arguments)
{
    ToolRun run;
    std::string command = shell_word(TILESTACK_LAYOUT_TOOL) + " " + arguments + " 2>&1";
    if (!folder.empty())
        command = "cd " + shell_word(folder) + " && " + command;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        run.output.append(chunk, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool has(const ToolRun &run, const std::string &text)
{
    return run.output.find(text) != std::string::npos;
}

std::string saved(const TempDir &dir, const std::string &name, const Layout &b)
{
    std::string path = dir.path(name);
    EXPECT_TRUE(b.save(path.c_str()));
    return path;
}
