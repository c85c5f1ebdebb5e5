// A game at rest: the share of a processor core the real game takes with nothing happening,
// on the title screen, in a game and in the editor, resting between passes (TILESTACK_IDLE=wait,
// as players run it) and polling without pause (spin, the program started alone). Both run side
// by side, each on an X server of its own, so that they meet the same load; the report gives
// each share and, as the figure to judge, how many times as much the polling game takes.
//   idle_benchmark [SECONDS]   the time measured on each screen (4 unless given)
#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/xsession.h"
#include "render/game_frame.h"

namespace {

// Processor time used so far by all the threads of a process, in clock ticks: fields 14 and 15
// of its stat line, counted after the parenthesised name.
long cpu_ticks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string word;
    while (in >> word && word.back() != ')') {
    }
    long user = 0, system = 0;
    for (int field = 3; field < 14; field++)
        in >> word;
    in >> user >> system;
    return user + system;
}

struct Player {  // one game on an X server of its own
    const char *idle;
    XServer server;
    Desk desk{server};
    std::unique_ptr<GameProcess> game;
    Screenshot shot;

    explicit Player(const char *mode) : idle(mode) {}

    bool start(const GameFolder &folder, const std::vector<std::string> &args,
               bool (*ready)(const Screenshot &))
    {
        game = desk.launch(server, folder.path(), args, {{"TILESTACK_IDLE", idle}});
        return desk.wait_for(ready, shot);
    }
    void close()
    {
        desk.request_close();
        game->wait();
    }
};

// Each player's share of a core, in per cent, over `seconds` with nothing happening.
void measure(Player (&players)[2], const char *screen, double seconds)
{
    long before[2];
    for (int i = 0; i < 2; i++)
        before[i] = cpu_ticks(players[i].game->pid());
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    double share[2];
    for (int i = 0; i < 2; i++)
        share[i] = 100.0 * (cpu_ticks(players[i].game->pid()) - before[i]) /
                   (seconds * sysconf(_SC_CLK_TCK));
    std::printf("  %-8s %8.2f %8.2f", screen, share[1], share[0]);
    if (share[1] > 0)
        std::printf(" %12.1f\n", share[0] / share[1]);
    else
        std::printf(" %12s\n", "(wait: 0)");
}

bool editor_ready(const Screenshot &s)
{
    return editor_screen::status_reads(s, editor_screen::status(0, 0));
}

}  // namespace

int main(int argc, char *argv[])
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 4;
    if (seconds <= 0 || install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        std::fprintf(stderr, "usage: idle_benchmark [SECONDS]\n");
        return 1;
    }
    GameFolder folder;
    GameData pictures(folder.path());
    if (!pictures.loaded()) {
        std::fprintf(stderr, "idle_benchmark: the game's data did not load\n");
        return 1;
    }
    Player players[2] = {Player("spin"), Player("wait")};
    std::printf("Per cent of a core over %.1f s at rest, and spin / wait:\n", seconds);
    std::printf("  %-8s %8s %8s %12s\n", "screen", "wait", "spin", "spin / wait");
    for (Player &p : players)
        if (!p.start(folder, {}, is_title_screen)) {
            std::fprintf(stderr, "idle_benchmark: no title screen with %s\n%s", p.idle,
                         p.game->output().c_str());
            return 1;
        }
    measure(players, "title", seconds);
    const int start_y = 180 + title_menu_line_height() / 2;
    for (Player &p : players) {
        p.desk.click(320, start_y);
        if (!p.desk.wait_for([](const Screenshot &s) { return !is_title_screen(s); }, p.shot) ||
            !p.desk.wait_until_still(p.shot)) {
            std::fprintf(stderr, "idle_benchmark: no game with %s\n", p.idle);
            return 1;
        }
    }
    measure(players, "game", seconds);
    for (Player &p : players)
        p.close();
    for (Player &p : players)
        if (!p.start(folder, {"edit"}, editor_ready)) {
            std::fprintf(stderr, "idle_benchmark: no editor with %s\n", p.idle);
            return 1;
        }
    measure(players, "editor", seconds);
    for (Player &p : players)
        p.close();
    return 0;
}
END_OF_MAIN()
