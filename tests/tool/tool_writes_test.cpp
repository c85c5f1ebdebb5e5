// What tilestack-layout does when its output cannot be written: a full disk or device is an
// error with a message, a reader that closed the pipe ends it quietly, and a layout file that
// cannot be written leaves the old one (or what is there in its place) as it was.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "board/layout.h"
#include "support/files.h"
#include "tool/tool_run.h"

namespace {

struct Ended {
    int status = -1;  // exit status, or -1 when ended by a signal
    int signal = 0;   // the signal that ended it
    std::string errors;
};

// Runs the tool with standard output on `out_fd` and SIGPIPE ignored or not, as a shell
// started by another program may leave it.
Ended run_with_output(const std::vector<std::string> &args, int out_fd, bool ignore_sigpipe)
{
    TempDir dir;
    const std::string errors = dir.path("errors");
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGPIPE, ignore_sigpipe ? SIG_IGN : SIG_DFL);
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out_fd, 1);
        dup2(err, 2);
        std::vector<char *> argv{const_cast<char *>(TILESTACK_LAYOUT_TOOL)};
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Ended e;
    if (WIFEXITED(status))
        e.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        e.signal = WTERMSIG(status);
    const std::vector<unsigned char> bytes = read_file(errors);
    e.errors.assign(bytes.begin(), bytes.end());
    return e;
}

Layout four_pieces()
{
    Layout b;
    b.clear();
    for (int x = 0; x < 4; x++)
        b.set(x, 3, 0, 1);
    return b;
}

TEST(LayoutToolWrites, AFullOutputFailsWithAMessageAndAClosedPipeEndsQuietly)
{
    TempDir dir;
    const std::string file = saved(dir, "four.lyt", four_pieces());
    const std::vector<std::vector<std::string>> commands = {
        {"--help"}, {"show", file}, {"to-text", file}, {"rate", file, "--deals", "2"}};
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    for (const auto &args : commands) {
        const Ended e = run_with_output(args, full, false);
        EXPECT_EQ(e.status, 1) << args[0];
        EXPECT_NE(e.errors.find("tilestack-layout: cannot write to standard output: No space"),
                  std::string::npos)
            << args[0] << ": " << e.errors;
    }
    close(full);

    // A pipe whose reader has gone, with SIGPIPE as it comes and ignored: either way the tool
    // ends by that signal and says nothing, as cat does.
    for (bool ignored : {false, true}) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        close(ends[0]);
        const Ended e = run_with_output({"to-text", file}, ends[1], ignored);
        close(ends[1]);
        EXPECT_EQ(e.signal, SIGPIPE) << "SIGPIPE ignored: " << ignored << ", status " << e.status;
        EXPECT_EQ(e.errors, "");
    }
}

// Every command that writes a layout file (from-text, generate, improve share one writer):
// on a full disk the old file stays as it was, no temporary file is left, and the message
// names the file and what failed.
TEST(LayoutToolWrites, AFullDiskKeepsTheOldFileWhole)
{
    TempDir dir;
    const std::string out = saved(dir, "out.lyt", four_pieces());
    const std::vector<unsigned char> old = read_file(out);
    std::string text = "layer 0\noo..........\n";
    for (int row = 1; row < Layout::rows; row++)
        text += "............\n";
    write_text(dir.path("two.txt"), text);
    ToolRun run;
    with_file_size_limit(100, [&] {
        run = tool("from-text " + shell_word(dir.path("two.txt")) + " " + shell_word(out));
    });
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(has(run, "tilestack-layout: cannot write " + out + ": cannot write it"))
        << run.output;
    EXPECT_EQ(read_file(out), old);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.lyt", "two.txt"}));
}

// A device, a pipe or a socket where the layout file would go, or a link to one: every command
// that writes refuses it (generate and improve before searching), says so, and leaves it.
TEST(LayoutToolWrites, WhatIsNotARegularFileIsRefusedAndLeftAsItIs)
{
    TempDir dir;
    const std::string in = saved(dir, "in.lyt", four_pieces());
    const std::string text = dir.path("in.txt");
    write_text(text, tool("to-text " + shell_word(in)).output);
    const std::vector<NonFile> targets = make_non_files(dir);
    ASSERT_GE(targets.size(), 3u);
    const std::string search = " --deals 2 --symbols 36 --nodes 100 --min-clear 0";
    for (const NonFile &target : targets) {
        const std::string before = kind_at(target.path);
        const std::string out = shell_word(target.path);
        for (const std::string &command :
             {"from-text " + shell_word(text) + " " + out,
              "generate " + out + " --pieces 4 --layers 1" + search,
              "improve " + shell_word(in) + " " + out + search}) {
            SCOPED_TRACE(command.substr(0, command.find(' ')) + " over " + target.what);
            const ToolRun run = tool(command);
            EXPECT_EQ(run.status, 1) << run.output;
            EXPECT_EQ(run.output, "tilestack-layout: cannot write " + target.path +
                                      ": it is not a regular file (any old file is as it was)\n");
            EXPECT_EQ(kind_at(target.path), before);
        }
    }
}

}  // namespace
