// The game stepped pass by pass with scripted input, and play_game around it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/geometry.h"
#include "play/deal.h"
#include "play/game.h"
#include "board/rules.h"
#include "board/layout_text.h"
#include "play/hint.h"
#include "solve/rating.h"
#include "solve/solver.h"
#include "render/board_drawing.h"
#include "render/legacy_text.h"
#include "support/boards.h"
#include "support/headless.h"

inline const geometry::Point origin640 = geometry::board_origin(640, 480);

// Layer 0 only; values in brackets are the symbols, so the board is laid out as if dealt.
inline std::string layer0(const char *const rows[7]) { return layer_text(0, rows); }

// Two pairs in row 1 (symbols 1 and 2), all free; in row 3 a pair of 3s with a 4 hemmed
// in between them.
inline const char *const two_pairs[7] = {
    "............", "[1]..[2]..[1]..[2]..", "............", "..[3][4][3].......",
    "............", "............", "............"};

class GameTest : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res;

    void SetUp() override
    {
        input::reset();
        LEGACY_TEXT(text_mode(-1));  // as the game starts up: text on no background box
    }
    void TearDown() override
    {
        input::reset();
        layout.clear();
        destroy_bitmap(expected_);
    }

    // A game on a board written as text, its values taken as the dealt symbols.
    static Game start(const std::string &text, int top_layer = 0)
    {
        layout = board_from_text(text);
        Deal dealt;
        dealt.pair_list.assign(layout.count, 0);
        dealt.top_layer = top_layer;
        dealt.shading_step = shading_step_for(top_layer);
        return Game(dealt);
    }

    // The pointer over the middle of the face of cell (x, y, z).
    static void point_at(int x, int y, int z, int buttons = 0)
    {
        geometry::Point c = geometry::cell_corner(origin640, x, y, z);
        input::pointer(c.x + 22, c.y + 15, buttons);
    }

    // A press on cell (x, y, z) seen by one pass, then a pass with the buttons up.
    static void click(Game &game, int x, int y, int z, int button = 1)
    {
        point_at(x, y, z, button);
        game.pass();
        input::buttons(0);
        game.pass();
    }

    // Passes until the frame and end tests that follow a change are done.
    static void settle(Game &game)
    {
        for (int i = 0; i < 3 && game.result == 0; i++)
            game.pass();
    }

    // What the screen must show for the current layout: the background, the board as
    // draw_board paints it with this selection, and the status line `status`.
    BITMAP *expected(const Game &game, int selected, const char *status)
    {
        destroy_bitmap(expected_);
        expected_ = create_bitmap(640, 480);
        blit(resources.background_image, expected_, 0, 0, 0, 0, 640, 480);
        draw_board(expected_, 20, 117, game.dealt.top_layer, game.dealt.shading_step, selected);
        LEGACY_TEXT(textprintf(expected_, resources.game_font, 5, 5, -1, "%s", status));
        return expected_;
    }

    // A frame with marks over the board, as the game composes it.
    BITMAP *expected_marked(const Game &game, int selected, const BoardMarks &marks)
    {
        destroy_bitmap(expected_);
        expected_ = create_bitmap(640, 480);
        compose_game_frame(expected_, origin640, game.dealt.top_layer, game.dealt.shading_step,
                           selected, marks);
        return expected_;
    }

    // One press of `scancode` (with Control or Shift held when asked) seen by a pass, then a
    // pass with every key up.
    static void tap(Game &game, int scancode, bool control = false, bool shift = false)
    {
        if (control)
            input::key_down(KEY_LCONTROL);
        if (shift)
            input::key_down(KEY_LSHIFT);
        input::key_down(scancode);
        game.pass();
        input::key_up(scancode);
        input::key_up(KEY_LCONTROL);
        input::key_up(KEY_LSHIFT);
        game.pass();
    }

    // A mark on the screen that only a copy of the back buffer removes.
    static void mark_screen() { putpixel(screen, 639, 0, makecol(255, 0, 255)); }
    static bool mark_survives() { return getpixel(screen, 639, 0) == makecol(255, 0, 255); }

    BITMAP *expected_ = nullptr;
};
