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
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "layout/tool.h"
#include "platform/system.h"

using namespace layout_tool;

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

const Command *const commands[] = {
    &show_command, &check_command,    &from_text_command, &to_text_command,
    &rate_command, &generate_command, &improve_command,
};

// What the command wrote to standard output must have reached it: a full disk or a failing
// device ends the run with a message and status 1, not a silent 0. A reader that closed the
// pipe early (`| head`) ends it quietly, by the same signal that ends other programs there.
int output_checked(int status)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    if (errno == EPIPE)
        end_after_broken_pipe();
    std::fprintf(stderr, "tilestack-layout: cannot write to standard output%s%s\n",
                 errno != 0 ? ": " : "", errno != 0 ? std::strerror(errno) : "");
    return 1;
}

int run(const std::vector<std::string> &args);

}  // namespace

int main(int argc, char *argv[])
{
    return output_checked(run(std::vector<std::string>(argv + 1, argv + argc)));
}

namespace {

int run(const std::vector<std::string> &args)
{
    if (args.empty())
        return bad_arguments("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(overview, stdout);
        return 0;
    }
    for (const Command *entry : commands) {
        const Command &command = *entry;
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

}  // namespace
