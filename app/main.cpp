// tilestack: remove pairs of free pieces with equal symbols from a stacked board.
// Started with any argument it is the layout editor instead.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

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
#include "play/records.h"
#include "tilestack_icon.xpm"  // drawn by the data tool at build time

namespace {

// Loads one of the three layout files, picked at random, into the board; gives its name.
std::string load_random_layout()
{
    char name[16];
    std::sprintf(name, layout_file_format, std::rand() % layout_file_count);
    if (!layout.load(name))
        fatal_error("tilestack: cannot read the layout file %s.", name);
    return name;
}

// Title menu, game and game-over screen, over and over, until the player leaves.
void play_until_exit()
{
    check_layout_files();
    LastGame last_game;     // kept over quitting in lastgame.sav of the working folder
    GalleryChoice gallery;  // the board Start deals, one of the three until Left or Right
    Records records;        // each board's record, in records.txt of the working folder
    std::string last_file;  // the board of the kept game, when it was dealt in this run
    std::string note;       // what the title says of the last game
    for (int choice; (choice = title_menu(&last_game, &gallery, note)) != menu_exit;) {
        wait_until_buttons_up();
        note.clear();
        int result;
        bool played = true;
        if (choice == menu_last_game) {
            result = resume_game(last_game.game());
            last_game.keep(last_game.game());
        } else {
            if (gallery.path().empty()) {
                last_file = load_random_layout();
            } else if (!layout.load(gallery.path().c_str())) {
                // Checked as Start was chosen; gone since: the title again.
                std::fprintf(stderr, "tilestack: cannot read the layout file %s.\n",
                             gallery.path().c_str());
                continue;
            } else {
                last_file = gallery.board().file;
            }
            KeptGame kept;
            result = play_and_keep(kept, played);
            if (played)
                last_game.keep(kept);
        }
        // A kept game of an earlier run is of a board no longer known: it counts nowhere.
        const KeptGame &game = last_game.game();
        if (played && !last_file.empty()) {
            const bool cleared =
                result == play_ended && game.board_after(game.taken_count).count == 0;
            const long long seconds = game.played_ms / 1000;
            records.add(last_file, cleared, game.helped, seconds);
            if (cleared)
                note = clear_note(records.boards().at(last_file), seconds);
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
