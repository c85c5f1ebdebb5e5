// The process's surroundings of platform/system.h on a POSIX system.
#include "platform/system.h"

#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

std::string current_folder()
{
    std::vector<char> path(PATH_MAX + 1);
    if (getcwd(path.data(), path.size()) == nullptr)
        return "";
    return path.data();
}

bool stderr_is_terminal()
{
    return isatty(STDERR_FILENO) != 0;
}

StandardOutputSetAside::StandardOutputSetAside()
{
    std::fflush(stdout);
    kept_ = dup(STDOUT_FILENO);
    nowhere_ = open("/dev/null", O_WRONLY);
    if (kept_ >= 0 && nowhere_ >= 0)
        dup2(nowhere_, STDOUT_FILENO);
}

StandardOutputSetAside::~StandardOutputSetAside()
{
    std::fflush(stdout);
    if (kept_ >= 0 && nowhere_ >= 0)
        dup2(kept_, STDOUT_FILENO);
    if (nowhere_ >= 0)
        close(nowhere_);
    if (kept_ >= 0)
        close(kept_);
}

void end_after_broken_pipe()
{
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
    std::_Exit(141);  // as a shell reports the signal, should it be blocked
}

void prepare_game_process()
{
    // The Linux launcher sets the game's surroundings; the program leaves them as they are.
}
