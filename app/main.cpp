// tilestack: remove pairs of free pieces with equal symbols from a stacked board.
// Started with any argument it is the layout editor instead.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/game_over.h"
#include "app/input.h"
#include "app/resources.h"
#include "app/title_menu.h"
#include "board/constants.h"
#include "board/layout.h"
#include "editor/editor.h"
#include "platform/system.h"
#include "platform/window.h"
#include "play/game.h"
#include "tilestack_icon.xpm"  // drawn by the data tool at build time

namespace {

// Loads one of the three layout files, picked at random, into the board.
void load_random_layout()
{
    char name[16];
    std::sprintf(name, layout_file_format, std::rand() % layout_file_count);
    if (!layout.load(name))
        fatal_error("tilestack: cannot read the layout file %s.", name);
}

// Title menu, game and game-over screen, over and over, until the player leaves.
void play_until_exit()
{
    check_layout_files();
    LastGame last_game;  // kept over quitting in lastgame.sav of the working folder
    for (int choice; (choice = title_menu(&last_game)) != menu_exit;) {
        wait_until_buttons_up();
        int result;
        if (choice == menu_last_game) {
            result = resume_game(last_game.game());
            last_game.keep(last_game.game());
        } else {
            load_random_layout();
            KeptGame kept;
            bool played = false;
            result = play_and_keep(kept, played);
            if (played)
                last_game.keep(kept);
        }
        if (result != play_left)
            show_game_over();
        if (close_requested())
            break;  // the window's close button ends the program, not just the game
    }
}

}  // namespace

int main(int argc, char *argv[])
{
    (void)argv;  // only the number of arguments matters
    std::srand(std::time(nullptr));
    prepare_game_process();
    set_window_icon(tilestack_icon);  // before init_game, which makes the window
    init_game();

    if (argc > 1)
        edit_layouts();
    else
        play_until_exit();

    resources.free_resources();
    return 0;
}
END_OF_MAIN()
