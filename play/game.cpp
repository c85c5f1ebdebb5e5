#include "play/game.h"

#include <utility>

#include "app/resources.h"
#include "board/layout.h"
#include "board/rules.h"
#include "render/game_frame.h"

Game::Game(Deal d)
    : dealt(std::move(d)), origin(geometry::board_origin(SCREEN_W, SCREEN_H))
{
}

void Game::pass()
{
    const InputState in = sample_input();
    switch (stage) {
    case Stage::playing:
        if (needs_redraw)
            show_frame();
        else if (needs_end_test)
            run_end_tests();
        handle_mouse(in);
        read_keys(in);
        if (result != 0) {
            stage = Stage::releasing_escape;
            finish_when_escape_is_up(in);
        }
        break;
    case Stage::releasing_escape:
        finish_when_escape_is_up(in);
        break;
    case Stage::over:
        break;
    }
}

// Composes the whole frame in the back buffer and copies it to the screen in one go, with the
// pointer hidden, so that the screen only ever shows whole frames.
void Game::show_frame()
{
    compose_game_frame(resources.buffer, origin, dealt.top_layer, dealt.shading_step,
                       selected_cell);
    needs_redraw = false;
    scare_mouse();
    blit(resources.buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
    needs_end_test = true;
}

// Runs only after the frame of the last change is on screen, so a game that ends here shows
// its final board under the game-over screen. An empty board also has no moves left; it
// counts as cleared.
void Game::run_end_tests()
{
    needs_end_test = false;
    if (no_moves_left(layout))
        result = play_blocked;
    if (layout.count == 0)
        result = play_ended;
}

// A press acts once, on the first pass that sees any button down, at the pointer position of
// that pass; the next press counts only after a pass has seen all buttons up.
void Game::handle_mouse(const InputState &in)
{
    if (!button_latch.pressed(in.mouse_b != 0))
        return;

    int hit = piece_at(layout, origin, in.mouse_x, in.mouse_y);
    if (hit == -1)
        return;
    if (selected_cell == -1) {
        selected_cell = hit;
        needs_redraw = true;
    } else if (hit == selected_cell) {
        selected_cell = -1;
        needs_redraw = true;
    } else if (take_pair(layout, selected_cell, hit)) {
        selected_cell = -1;
        needs_redraw = true;
    }
    // Another symbol: the first piece stays picked and nothing is redrawn.
}

// The keys come last in the pass, so they override whatever the end tests decided. The
// close button ends the game as Escape does.
void Game::read_keys(const InputState &in)
{
    if (in.key(KEY_ESC) || in.close_requested)
        result = play_left;
    else if (in.key(KEY_F1))
        result = play_ended;
}

void Game::finish_when_escape_is_up(const InputState &in)
{
    if (in.key(KEY_ESC) && !in.close_requested)
        return;
    stage = Stage::over;
    std::vector<unsigned char>().swap(dealt.pair_list);  // the only allocation of a game
}

int piece_at(int mx, int my)
{
    return piece_at(layout, geometry::board_origin(SCREEN_W, SCREEN_H), mx, my);
}

int play_game()
{
    Deal dealt;
    const int symbols = symbols_in_strip(resources.symbol_strip->w);
    if (!deal(layout, symbols, dealt))
        return play_left;
    Game game(std::move(dealt));
    while (!game.is_over())
        game.pass();
    return game.result;
}
