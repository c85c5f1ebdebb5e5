#include "play/game.h"

#include <utility>

#include "app/display_scale.h"
#include "app/resources.h"
#include "app/window_title.h"
#include "board/layout.h"
#include "board/rules.h"
#include "play/keyboard_cursor.h"

const std::vector<KeyRow<GameKey>> &game_key_rows()
{
    using modifier::ctrl;
    using modifier::shift;
    static const std::vector<KeyRow<GameKey>> rows = {
        {GameKey::click, KeyKind::mouse, {}, 0, 0, "Click two free pieces alike: take them"},
        {GameKey::left, KeyKind::press, {KEY_LEFT}, 0, 0, "Arrows: move the cursor"},
        {GameKey::right, KeyKind::press, {KEY_RIGHT}, 0, 0, ""},
        {GameKey::up, KeyKind::press, {KEY_UP}, 0, 0, ""},
        {GameKey::down, KeyKind::press, {KEY_DOWN}, 0, 0, ""},
        {GameKey::pick, KeyKind::press, {KEY_ENTER, KEY_ENTER_PAD, KEY_SPACE}, 0, 0,
         "Return or Space: pick the cursor's piece"},
        {GameKey::undo, KeyKind::press, {KEY_Z}, ctrl, shift,
         "Ctrl+Z or Backspace: put a pair back"},
        {GameKey::undo, KeyKind::press, {KEY_BACKSPACE}, 0, 0, ""},
        {GameKey::redo, KeyKind::press, {KEY_Y}, ctrl, 0, "Ctrl+Y or Ctrl+Shift+Z: take it again"},
        {GameKey::redo, KeyKind::press, {KEY_Z}, ctrl | shift, 0, ""},
        {GameKey::undo_all, KeyKind::press, {KEY_HOME}, 0, 0, "Home: every pair back, as dealt"},
        {GameKey::redo_all, KeyKind::press, {KEY_END}, 0, 0, "End: every pair taken again"},
        {GameKey::hint, KeyKind::press, {KEY_H}, 0, 0, "H: hint a pair"},
        {GameKey::free_pieces, KeyKind::press, {KEY_F}, 0, 0, "F: frame every free piece"},
        // The two that end the game act on every pass they are down, from the first.
        {GameKey::end, KeyKind::level, {KEY_F1}, 0, 0, "F1: end the game"},
        {GameKey::leave, KeyKind::level, {KEY_ESC}, 0, 0, "Escape: back to the title"},
    };
    return rows;
}

Game::Game(Deal d)
    : dealt(std::move(d)), origin(geometry::board_origin(frame_width, frame_height)),
      card(card_lines(game_key_rows()), resources.game_font), dealt_board(layout)
{
}

Game::Game(const KeptGame &kept)
    : origin(geometry::board_origin(frame_width, frame_height)),
      card(card_lines(game_key_rows()), resources.game_font),
      dealt_board(kept.dealt), clock(kept.played_ms)
{
    dealt.top_layer = kept.top_layer;
    dealt.shading_step = kept.shading_step;
    const std::size_t taken = kept.taken_count > 0 ? kept.taken_count - 1 : 0;
    layout = kept.board_after(taken);
    history.restore(kept.pairs, taken);
    helped = true;  // brought back from the title
}

KeptGame Game::kept() const
{
    KeptGame k;
    k.dealt = dealt_board;
    k.pairs = history.pairs();
    k.taken_count = history.taken_count();
    k.top_layer = dealt.top_layer;
    k.shading_step = dealt.shading_step;
    k.played_ms = clock.elapsed();
    k.helped = helped;
    return k;
}

void Game::pass()
{
    const InputState in = sample_input();
    switch (stage) {
    case Stage::playing:
        clock.focus(window_has_focus());
        show_clock();
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
            clock.focus(false);  // the game's time ends with it
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
            history.record(selected_cell, hit, symbol);
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

// The keys come last in the pass, so they override whatever the end tests decided; leaving
// beats ending. The close button ends the game as leaving does. The latches read their keys
// on every pass, even one that ends the game, so that they see each key let go.
void Game::read_keys(const InputState &in)
{
    if (!keys_seen) {
        // Keys held when the game starts (Return that chose "Start") are not presses.
        keys_seen = true;
        keys.hold(in);
    }
    const KeyPresses<GameKey> pressed = keys.read(in);
    if (pressed.has(GameKey::leave) || in.close_requested)
        result = play_left;
    else if (pressed.has(GameKey::end))
        result = play_ended;
    if (result == 0)
        act_on_help_keys(pressed, in);
}

void Game::act_on_help_keys(const KeyPresses<GameKey> &pressed, const InputState &in)
{
    for (GameKey help : {GameKey::undo, GameKey::redo, GameKey::undo_all, GameKey::redo_all,
                         GameKey::hint, GameKey::free_pieces})
        helped = helped || pressed.has(help);
    for (GameKey step : {GameKey::undo, GameKey::redo, GameKey::undo_all, GameKey::redo_all})
        if (pressed.has(step))
            step_history(step);
    static const GameKey arrows[4] = {GameKey::left, GameKey::right, GameKey::up, GameKey::down};
    for (int i = 0; i < 4; i++)
        if (pressed.has(arrows[i]))
            move_cursor(i, in);
    if (pressed.has(GameKey::pick) && cursor_cell != -1)
        act_on(cursor_cell);
    if (pressed.has(GameKey::hint))
        look_for_hint();
    if (pressed.has(GameKey::free_pieces))
        show_free_pieces();
    if (marks != shown_marks)
        needs_redraw = true;
}

// Puts back (undo) or takes again (redo) one pair, or every one there is (undo_all, redo_all).
void Game::step_history(GameKey key)
{
    const bool back = key == GameKey::undo || key == GameKey::undo_all;
    const bool all = key == GameKey::undo_all || key == GameKey::redo_all;
    bool stepped = false;
    while (back ? history.undo(layout) : history.redo(layout)) {
        stepped = true;
        if (!all)
            break;
    }
    if (stepped) {
        selected_cell = -1;
        board_changed();
    }
}

// Frames the first pair of a way to clear the board, or a pair that merely matches with a
// note that says why no better one is shown. What the pass cannot decide quickly is looked
// at further off the loop, with a note meanwhile; asking again while it looks changes
// nothing.
void Game::look_for_hint()
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
    mark_hint(hint);
}

// The hint looked for off the loop, once it is found.
void Game::take_found_hint()
{
    Hint hint;
    if (hint_looker.take(hint))
        mark_hint(hint);
}

// Frames the hint's pair, with the note its kind asks for; a hint of no pair clears the marks.
void Game::mark_hint(const Hint &hint)
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
    if (keys.down(in, GameKey::leave) && !in.close_requested)
        return;
    stage = Stage::over;
    hint_looker.cancel();
    std::vector<unsigned char>().swap(dealt.pair_list);  // the deal's pairs: no longer needed
}

void Game::show_clock()
{
    const long long seconds = clock.seconds();
    if (seconds == shown_seconds)
        return;
    shown_seconds = seconds;
    show_window_title(window_title_text("game - " + clock_text(seconds)));
}

int piece_at(int mx, int my)
{
    return piece_at(layout, geometry::board_origin(frame_width, frame_height), mx, my);
}

namespace {

int run(Game &game)
{
    game.show_clock();
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
