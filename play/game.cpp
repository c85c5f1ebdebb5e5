#include "play/game.h"

#include <utility>

#include "app/display_scale.h"
#include "app/resources.h"
#include "app/window_title.h"
#include "board/layout.h"
#include "board/rules.h"
#include "play/keyboard_cursor.h"

namespace {

// Every key of a game, for the card F2 shows.
const std::vector<const char *> game_keys = {
    "Click two free pieces alike: take them",
    "Arrows: move the cursor",
    "Return or Space: pick the cursor's piece",
    "Ctrl+Z or Backspace: put a pair back",
    "Ctrl+Y or Ctrl+Shift+Z: take it again",
    "Home: every pair back, as dealt",
    "End: every pair taken again",
    "H: hint a pair",
    "F: frame every free piece",
    "F1: end the game",
    "Escape: back to the title",
    "F2: show or hide these keys",
};

}  // namespace

Game::Game(Deal d)
    : dealt(std::move(d)), origin(geometry::board_origin(frame_width, frame_height)),
      card(game_keys, resources.game_font), dealt_board(layout)
{
}

Game::Game(const KeptGame &kept)
    : origin(geometry::board_origin(frame_width, frame_height)),
      card(game_keys, resources.game_font),
      dealt_board(kept.dealt)
{
    dealt.top_layer = kept.top_layer;
    dealt.shading_step = kept.shading_step;
    const std::size_t taken = kept.done > 0 ? kept.done - 1 : 0;
    layout = kept.board_after(taken);
    history.restore(kept.pairs, taken);
}

KeptGame Game::kept() const
{
    KeptGame k;
    k.dealt = dealt_board;
    k.pairs = history.pairs();
    k.done = history.taken_count();
    k.top_layer = dealt.top_layer;
    k.shading_step = dealt.shading_step;
    return k;
}

void Game::pass()
{
    const InputState in = sample_input();
    switch (stage) {
    case Stage::playing:
        // The card of keys, while shown, takes the whole pass; the frame it covers stays. It
        // opens only over a frame of the game, never over the screen before it.
        if (keys_seen && card.pass(in))
            break;
        take_found_hint();
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
                       selected_cell, marks);
    shown_marks = marks;
    needs_redraw = false;
    scare_mouse();
    copy_to_screen(resources.buffer);
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

    act_on(piece_at(layout, origin, in.mouse_x, in.mouse_y));
}

// What a click on the free piece `hit` (or on none, -1) does; Return and Space do the same
// on the keyboard cursor's piece.
void Game::act_on(int hit)
{
    if (hit == -1)
        return;
    if (selected_cell == -1) {
        selected_cell = hit;
        board_changed();
    } else if (hit == selected_cell) {
        selected_cell = -1;
        board_changed();
    } else {
        const int symbol = layout.cell(hit);
        if (take_pair(layout, selected_cell, hit)) {
            history.taken(selected_cell, hit, symbol);
            selected_cell = -1;
            board_changed();
        }
    }
    // Another symbol: the first piece stays picked and nothing is redrawn.
}

// After any change of the board or the selection: the hint, the free pieces and the note
// were about the board as it was, so they go; a cursor whose piece is gone or covered moves
// to the nearest free piece.
void Game::board_changed()
{
    hint_looker.cancel();
    marks.hinted.clear();
    marks.note = nullptr;
    if (cursor_cell != -1) {
        cursor_cell = nearest_free_piece(layout, cursor_cell);
        marks.cursor = cursor_cell;
    }
    needs_redraw = true;
}

// The keys come last in the pass, so they override whatever the end tests decided. The
// close button ends the game as Escape does.
void Game::read_keys(const InputState &in)
{
    if (in.key(KEY_ESC) || in.close_requested)
        result = play_left;
    else if (in.key(KEY_F1))
        result = play_ended;
    if (!keys_seen) {
        // Keys held when the game starts (Return that chose "Start") are not presses.
        keys_seen = true;
        history_keys.hold(in);
        hint_latch.hold(in.key(KEY_H));
        free_latch.hold(in.key(KEY_F));
        for (int i = 0; i < 4; i++)
            arrow_latches[i].hold(in.key(KEY_LEFT + i));
        act_latch.hold(in.key(KEY_ENTER) || in.key(KEY_ENTER_PAD) || in.key(KEY_SPACE));
        home_latch.hold(in.key(KEY_HOME));
        end_latch.hold(in.key(KEY_END));
        return;
    }
    read_help_keys(in);
}

// The latches read their keys on every pass, even one that Escape or F1 ends, so that they
// see each key let go; the keys act only while the game runs.
void Game::read_help_keys(const InputState &in)
{
    const HistoryStep step = history_keys.read(in);
    const bool hint = hint_latch.pressed(in.key(KEY_H));
    const bool show_free = free_latch.pressed(in.key(KEY_F));
    bool arrows[4];
    for (int i = 0; i < 4; i++)
        arrows[i] = arrow_latches[i].pressed(in.key(KEY_LEFT + i));
    const bool act =
        act_latch.pressed(in.key(KEY_ENTER) || in.key(KEY_ENTER_PAD) || in.key(KEY_SPACE));
    const bool home = home_latch.pressed(in.key(KEY_HOME));
    const bool end = end_latch.pressed(in.key(KEY_END));
    if (result != 0)
        return;

    step_history(step, false);
    if (home)
        step_history(HistoryStep::undo, true);
    if (end)
        step_history(HistoryStep::redo, true);
    for (int i = 0; i < 4; i++)
        if (arrows[i])
            move_cursor(i, in);
    if (act && cursor_cell != -1)
        act_on(cursor_cell);
    if (hint)
        show_hint();
    if (show_free)
        show_free_pieces();
    if (marks != shown_marks)
        needs_redraw = true;
}

// Puts back (or takes again) one pair, or with `all` every one there is.
void Game::step_history(HistoryStep step, bool all)
{
    if (step == HistoryStep::none)
        return;
    bool done = false;
    while (step == HistoryStep::undo ? history.undo(layout) : history.redo(layout)) {
        done = true;
        if (!all)
            break;
    }
    if (done) {
        selected_cell = -1;
        board_changed();
    }
}

// Frames the first pair of a way to clear the board, or a pair that merely matches with a
// note that says why no better one is shown. What the pass cannot decide quickly is looked
// at further off the loop, with a note meanwhile; H again while it looks changes nothing.
void Game::show_hint()
{
    if (hint_looker.looking())
        return;
    const Hint hint = find_hint(layout);
    if (hint.kind == HintKind::unknown) {
        marks.hinted.clear();
        marks.note = looking_note;
        hint_looker.start(layout, start_hint);
        return;
    }
    show_hint(hint);
}

// The hint looked for off the loop, once it is found.
void Game::take_found_hint()
{
    Hint hint;
    if (hint_looker.take(hint))
        show_hint(hint);
}

void Game::show_hint(const Hint &hint)
{
    marks.hinted.clear();
    marks.note = nullptr;
    if (hint.kind == HintKind::none)
        return;
    marks.hinted = {hint.a, hint.b};
    if (hint.kind == HintKind::no_way)
        marks.note = no_way_note;
    else if (hint.kind == HintKind::unknown)
        marks.note = unknown_note;
    if (marks != shown_marks)
        needs_redraw = true;
}

void Game::show_free_pieces()
{
    hint_looker.cancel();
    marks.hinted = free_pieces(layout);
    marks.note = nullptr;
}

// The first arrow only shows the cursor: on the selected piece, else on the free piece under
// the pointer, else on the first free piece. Later ones move it.
void Game::move_cursor(int arrow, const InputState &in)
{
    static const CursorMove moves[4] = {CursorMove::left, CursorMove::right, CursorMove::up,
                                        CursorMove::down};
    if (cursor_cell == -1) {
        cursor_cell = selected_cell;
        if (cursor_cell == -1)
            cursor_cell = piece_at(layout, origin, in.mouse_x, in.mouse_y);
        if (cursor_cell == -1)
            cursor_cell = first_free_piece(layout);
    } else {
        cursor_cell = cursor_step(layout, cursor_cell, moves[arrow]);
    }
    marks.cursor = cursor_cell;
}

void Game::finish_when_escape_is_up(const InputState &in)
{
    if (in.key(KEY_ESC) && !in.close_requested)
        return;
    stage = Stage::over;
    hint_looker.cancel();
    std::vector<unsigned char>().swap(dealt.pair_list);  // the only allocation of a game
}

int piece_at(int mx, int my)
{
    return piece_at(layout, geometry::board_origin(frame_width, frame_height), mx, my);
}

namespace {

int run(Game &game)
{
    show_window_title(window_title_text("game"));
    while (!game.is_over())
        game.pass();
    return game.result;
}

}  // namespace

int play_game()
{
    bool played = false;
    KeptGame unused;
    return play_and_keep(unused, played);
}

int play_and_keep(KeptGame &kept, bool &played)
{
    Deal dealt;
    const int symbols = symbols_in_strip(resources.symbol_strip->w);
    played = deal(layout, symbols, dealt);
    if (!played)
        return play_left;
    Game game(std::move(dealt));
    const int result = run(game);
    kept = game.kept();
    return result;
}

int resume_game(KeptGame &kept)
{
    Game game(kept);
    const int result = run(game);
    kept = game.kept();
    return result;
}
