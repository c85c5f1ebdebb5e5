// One game on the global layout: the board is shown, pairs of free pieces with equal symbols
// are picked with the mouse (or the keyboard cursor) and removed, and the game ends when the
// board is cleared, when no pair can be taken any more, or on Escape or F1. Pairs can be put
// back and taken again, and the player may ask for a hint or for the free pieces.
#pragma once

#include <vector>

#include "app/input.h"
#include "app/key_card.h"
#include "app/key_table.h"
#include "board/geometry.h"
#include "play/deal.h"
#include "play/game_clock.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/kept_game.h"
#include "render/game_frame.h"
#include "render/screen_look.h"

// While the hint looks further than a pass allows; the pair is framed once it is found.
constexpr const char *looking_note = "The hint is looking further ...";

// How a game ended: what play_game returns.
enum PlayResult : int {
    play_left = 1,     // the layout held no piece, or Escape (or the close button) ended it
    play_ended = 2,    // the board was cleared, or F1 ended it
    play_blocked = 3,  // pieces remain but no two free ones match
};

// What the keys of a game do.
enum class GameKey {
    click,        // the mouse: the free piece under the pointer
    left,         // the keyboard cursor one piece that way (the four in this order)
    right,
    up,
    down,
    pick,         // as a click on the cursor's piece
    undo,         // one pair back
    redo,         // the pair put back last taken again
    undo_all,     // every pair back, as dealt
    redo_all,     // every pair put back taken again
    hint,         // a pair framed
    free_pieces,  // every free piece framed
    end,          // the game ends, with the game-over screen
    leave,        // the game ends, back to the title
};
const std::vector<KeyRow<GameKey>> &game_key_rows();

struct Game {
    enum class Stage {
        playing,           // passes read the input and change the board
        releasing_escape,  // the result is known; waiting for Escape to be up
        over,              // the game may return its result
    };

    Deal dealt;                  // pair list, top layer and shading step, fixed for the game
    geometry::Point origin;      // where the corner of cell (0, 0, 0) lies on the screen
    int selected_cell = -1;      // the piece the player picked, or -1
    bool needs_redraw = true;    // compose and show a frame on the next pass
    bool needs_end_test = true;  // run the end tests on the next pass without a frame
    Latch button_latch;          // a press has been handled and no pass has seen all buttons up
    int result = 0;              // 0 while playing, then a PlayResult
    Stage stage = Stage::playing;

    // The player's help: every key but GameKey::end and GameKey::leave acts only while the
    // game runs.
    KeyTable<GameKey> keys{game_key_rows()};
    History history;             // the pairs taken, for GameKey::undo and redo
    BoardMarks marks;            // what the frame shows over the board: hint, cursor, note
    BoardMarks shown_marks;      // the marks of the frame on screen
    int cursor_cell = -1;        // the keyboard cursor's piece; -1 until an arrow is pressed
    HintLooker hint_looker;      // a hint that goes on looking off the loop
    BackgroundJob::Runner start_hint;  // where it looks: a thread of its own unless set (tests)
    KeyCard card;                // F2: every key of the game
    Layout dealt_board;          // the board as dealt, kept with the game when it ends
    bool keys_seen = false;      // the first pass has marked keys held at the start as used
    GameClock clock;             // the game's time, from its deal or as it was kept
    long long shown_seconds = -1;  // the time the window's title shows
    bool helped = false;         // the player had help: the game is not a clean clear

    // A game on `layout`, which must already be dealt into `dealt`.
    explicit Game(Deal dealt);
    // A kept game again, with its last pair put back (as dealt when none was taken): `layout`
    // is set to that board.
    explicit Game(const KeptGame &kept);

    // The game as it stands, to keep when it ends.
    KeptGame kept() const;

    // One pass of the game loop: the frame or the end tests, then the mouse, then the keys.
    // Once the result is known, passes only wait for Escape to be up.
    void pass();

    bool is_over() const { return stage == Stage::over; }

    // The window's title with the game's time, set again when the time shown changes.
    void show_clock();

private:
    void show_frame();
    void run_end_tests();
    void handle_mouse(const InputState &in);
    void act_on(int hit);
    void read_keys(const InputState &in);
    void act_on_help_keys(const KeyPresses<GameKey> &pressed, const InputState &in);
    void board_changed();
    void look_for_hint();
    void take_found_hint();
    void mark_hint(const Hint &hint);
    void show_free_pieces();
    void step_history(GameKey key);
    void move_cursor(int arrow, const InputState &in);
    void finish_when_escape_is_up(const InputState &in);
};

// The free piece of the global board under the point (mx, my) of the screen, or -1.
int piece_at(int mx, int my);

// Deals `layout` and plays it, and says how the game ended. Returns only once Escape is up, so
// that the press that ended the game acts nowhere else.
// The window's close button ends the game at once with play_left; close_requested() then
// tells why.
int play_game();
// The same for a game of the title screen: when a game was played (the layout held pieces),
// `played` is set and `kept` holds it as it ended.
int play_and_keep(KeptGame &kept, bool &played);
// Plays `kept` again from its last pair put back; `kept` then holds it as it ended.
int resume_game(KeptGame &kept);
