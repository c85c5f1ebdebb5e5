// The layout editor in the real binary and a real window, driven by real input events: strokes,
// layers, the library's file selector and question box, trial play and leaving.
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "board/constants.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "board/layout_check.h"
#include "harness/editor_screen.h"
#include "solve/layout_generator.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "support/boards.h"
#include "support/files.h"

namespace {

using namespace std::chrono_literals;
using namespace editor_screen;

const Rgb face = {245, 240, 220};  // the blank face of the built empty.tga
const Rgb white = {255, 255, 255};

const geometry::Point origin = geometry::board_origin(640, 480);

// The middle of cell (x, y) of layer z on the screen, where a press reaches that cell.
geometry::Point middle_of(int x, int y, int z) { return cell_middle(origin, x, y, z); }

// Whether a piece's blank face shows in the cell, sampled at a point well inside the face.
bool face_at(const Screenshot &s, int x, int y, int z)
{
    const geometry::Point c = geometry::cell_corner(origin, x, y, z);
    return near(s.at(c.x + 21, c.y + 15), face, 10);
}

class EditorWindow : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    std::unique_ptr<GameProcess> game;
    Screenshot shot;

    // A key held a little long on a busy machine must not type twice into the selector.
    EditorWindow()
    {
        XAutoRepeatOff(server.display());
        XSync(server.display(), False);
    }

    void start()
    {
        game = desk.launch(server, folder.path(), {"edit"});
        ASSERT_TRUE(see([](const Screenshot &s) {
            return status_reads(s, status(0, 0)) && frame_pixels(s) > 5000;
        })) << game->output();
    }
    // In the window's far corner, where the pointer covers nothing the tests look at. (Out
    // of the window the keys would go elsewhere: with no window manager the focus follows
    // the pointer.)
    void park_pointer() { desk.move(636, 476); }
    // Holds the button down over a cell until the status line reads `after`, so that a busy
    // machine cannot lose the press, then lets go.
    void press_cell(int x, int y, int z, const std::string &after)
    {
        const geometry::Point p = middle_of(x, y, z);
        desk.move(p.x, p.y);
        desk.press();
        if (!see([&](const Screenshot &s) { return status_reads(s, after); }))
            ADD_FAILURE() << "pressing cell (" << x << ", " << y << ", " << z
                          << ") did not lead to \"" << after << "\"";
        desk.release();
    }
    bool see(const std::function<bool(const Screenshot &)> &ready,
             std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        if (desk.wait_for(ready, shot, limit))
            return true;
        // What the screen showed instead, for the failure report.
        static int failures = 0;
        save_test_screenshot(shot, ".unexpected-" + std::to_string(failures++));
        return false;
    }
    // Starts the editor and loads a shape of ten pieces, one of value 7, through the
    // selector; `shot` is left showing it. Eight of the pieces are free, so however the
    // five pairs are dealt, a trial game on it has a move and does not end by itself.
    void load_shape()
    {
        std::vector<unsigned char> bytes(Layout::cell_count, 0);
        for (int x = 0; x <= 8; x += 2)
            bytes[Layout::index(x, 3, 0)] = 1;
        for (int x = 0; x <= 4; x += 2)
            bytes[Layout::index(x, 5, 0)] = 1;
        bytes[Layout::index(2, 3, 1)] = 7;  // any value other than 0 is a piece
        bytes[Layout::index(6, 3, 1)] = 1;
        write_file(folder.path("shape.lyt"), bytes);

        ASSERT_NO_FATAL_FAILURE(start());
        desk.press_key("l");
        ASSERT_TRUE(see(dialog_open)) << game->output();
        enter_path(desk, folder.path(), folder.path("shape.lyt"));
        park_pointer();
        ASSERT_TRUE(see([](const Screenshot &s) {
            return !dialog_open(s) && status_reads(s, status(0, 10)) && face_at(s, 0, 3, 0) &&
                   face_at(s, 8, 3, 0) && face_at(s, 4, 5, 0);
        })) << game->output();
        EXPECT_FALSE(face_at(shot, 1, 3, 0));
        EXPECT_FALSE(face_at(shot, 6, 5, 0));
        ASSERT_TRUE(desk.wait_until_still(shot));
    }
    // A key with Control held, as a press long enough for the editor's loop.
    void hold_ctrl_key(const char *name, bool shift = false)
    {
        desk.key_down("Control_L");
        if (shift)
            desk.key_down("Shift_L");
        desk.press_key(name);
        if (shift)
            desk.key_up("Shift_L");
        desk.key_up("Control_L");
    }
    // The screen once it has settled with the pointer parked.
    Screenshot settled()
    {
        park_pointer();
        Screenshot still;
        EXPECT_TRUE(desk.wait_until_still(still));
        return still;
    }
    // Waits until the screen is `expected` to the pixel (after an undo, a cancel: the editor
    // as it was).
    void expect_same_screen(const Screenshot &expected, const std::string &what)
    {
        park_pointer();
        EXPECT_TRUE(see([&](const Screenshot &s) { return s.differing(expected) == 0; }))
            << what << ": " << shot.differing(expected) << " pixels differ";
    }
    // Time in which the game must not end or open anything: nothing to wait for.
    static void let_time_pass() { Desk::pause(300ms); }
    // Saves through the selector by typing `name` after the folder it starts with, and
    // waits for the file `expect` to appear.
    void save_as_typed(const std::string &name, const std::string &expect)
    {
        desk.press_key("s");
        ASSERT_TRUE(see(selector_open)) << game->output();
        desk.tap_quickly("End");
        desk.type(name);
        desk.tap("Return");
        ASSERT_TRUE(see([&](const Screenshot &s) {
            return !dialog_open(s) && std::filesystem::exists(folder.path(expect));
        })) << game->output();
    }
};

// The smoke set (the editor in the optimised build too) and the tests of code that runs
// threads (the thread build): see tests/CMakeLists.txt.
using EditorWindowSmoke = EditorWindow;
using EditorWindowThreads = EditorWindow;
using EditorWindowSmokeThreads = EditorWindow;

TEST_F(EditorWindow, StrokesAndLayersBuildAStackThatSavesThroughTheSelector)
{
    start();
    // A drag along row 2 from column 1 to column 5. Each step waits for its piece, so a busy
    // machine cannot make the editor miss a cell.
    desk.move(middle_of(1, 2, 0).x, middle_of(1, 2, 0).y);
    desk.press();
    for (int x = 1; x <= 5; x++) {
        const geometry::Point middle = middle_of(x, 2, 0);
        const int left = geometry::cell_corner(origin, x, 2, 0).x;
        for (int px = left + 5; px <= middle.x; px += 10)
            desk.move(px, middle.y);
        ASSERT_TRUE(see([x](const Screenshot &s) { return face_at(s, x, 2, 0); })) << x;
    }
    desk.release();
    park_pointer();
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 5)); }))
        << game->output();
    EXPECT_FALSE(face_at(shot, 0, 2, 0));
    EXPECT_FALSE(face_at(shot, 6, 2, 0));

    // Up a layer at a time, a piece on each.
    for (int z = 1; z <= 2; z++) {
        const char *layer_key[] = {"1", "2", "3"};
        desk.key_down(layer_key[z]);
        ASSERT_TRUE(see([z](const Screenshot &s) { return status_reads(s, status(z, 4 + z)); }));
        desk.key_up(layer_key[z]);
        press_cell(3, 2, z, status(z, 5 + z));
        EXPECT_TRUE(face_at(shot, 3, 2, z));
    }
    // Nothing below: no piece (the saved file below has none there).
    desk.click(middle_of(8, 5, 2).x, middle_of(8, 5, 2).y);
    shot = settled();
    save_screenshot(shot, "editor-stack.png");

    desk.press_key("s");
    ASSERT_TRUE(see(dialog_open));
    enter_path(desk, folder.path(), folder.path("stack.lyt"));
    std::vector<unsigned char> expected(Layout::cell_count, 0);
    for (int x = 1; x <= 5; x++)
        expected[Layout::index(x, 2, 0)] = 1;
    expected[Layout::index(3, 2, 1)] = expected[Layout::index(3, 2, 2)] = 1;
    ASSERT_TRUE(see([&](const Screenshot &s) {
        return !dialog_open(s) && std::filesystem::exists(folder.path("stack.lyt"));
    })) << game->output();
    EXPECT_EQ(read_file(folder.path("stack.lyt")), expected);
    EXPECT_TRUE(status_reads(shot, status(2, 7)));

    // Saved: Escape leaves without a question.
    desk.press_key("Escape");
    EXPECT_TRUE(exits_with(*game));
}

TEST_F(EditorWindow, LoadedLayoutIsShownWithItsCountAndCancellingOrATrialGameChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(load_shape());
    const Screenshot before = shot;
    std::string name;
    EXPECT_TRUE(desk.wait_for_window_name("tilestack - editor - F2: keys - shape.lyt - 10 pieces",
                                          &name))
        << name;

    // Escape cancels the selector, and only that.
    desk.press_key("l");
    ASSERT_TRUE(see(dialog_open));
    desk.press_key("Escape");
    expect_same_screen(before, "the selector cancelled");
    let_time_pass();
    EXPECT_TRUE(game->running()) << "the Escape that cancelled must not end the editor";

    // A trial game left with Escape leaves the layout as it was. The game takes over the
    // screen: no placement frames, no editor status line.
    desk.press_key("p");
    ASSERT_TRUE(see([](const Screenshot &s) {
        return frame_pixels(s) == 0 && !status_reads(s, status(0, 10));
    })) << "the trial game did not start\n" << game->output();
    save_screenshot(shot, "editor-trial-game.png");
    desk.press_key("Escape");
    ASSERT_TRUE(see([](const Screenshot &s) { return frame_pixels(s) > 5000; }))
        << "back in the editor";
    expect_same_screen(before, "the layout is shown exactly as before");
    let_time_pass();
    EXPECT_TRUE(game->running()) << "the Escape that ended the game must not end the editor";

    // Unchanged since the load: Escape leaves at once.
    desk.press_key("Escape");
    EXPECT_TRUE(exits_with(*game));
}

TEST_F(EditorWindow, EscapeWithUnsavedChangesAsksAndStaysUnlessToldToLeave)
{
    start();
    press_cell(4, 4, 0, status(0, 1));
    park_pointer();

    // Stay, by a click on the second button of the question box.
    desk.press_key("Escape");
    ASSERT_TRUE(see(dialog_open)) << game->output();
    save_screenshot(shot, "editor-question.png");
    // The box's white, clear of the text lines and of the parked pointer.
    int bottom = 0, left = 640, right = 0;
    for (int y = 40; y < 440; y++)
        for (int x = 0; x < 600; x++)
            if (near(shot.at(x, y), white, 10)) {
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    desk.click((left + right) / 2 + 40, bottom - 14);
    park_pointer();
    ASSERT_TRUE(see([](const Screenshot &s) {
        return !dialog_open(s) && status_reads(s, status(0, 1)) && face_at(s, 4, 4, 0);
    }));
    EXPECT_TRUE(game->running());

    // Stay, by Escape, and by the S shortcut: neither may act again in the editor.
    for (const char *answer : {"Escape", "s"}) {
        SCOPED_TRACE(answer);
        desk.press_key("Escape");
        ASSERT_TRUE(see(dialog_open));
        desk.press_key(answer);
        ASSERT_TRUE(see([](const Screenshot &s) { return !dialog_open(s); }));
        let_time_pass();
        shot = desk.grab();
        EXPECT_FALSE(dialog_open(shot)) << "no second question, no save dialog";
        EXPECT_TRUE(status_reads(shot, status(0, 1)));
        EXPECT_TRUE(game->running());
    }

    // Leave, by its shortcut.
    desk.press_key("Escape");
    ASSERT_TRUE(see(dialog_open));
    desk.press_key("l");
    EXPECT_TRUE(exits_with(*game));
}

// Clicks and key presses as quick as a touchpad tap: down and up back to back, taken in by
// the library in one batch, still act once each.
TEST_F(EditorWindowSmokeThreads, QuickTapsActOnceEach)
{
    start();
    const auto click_cell = [&](int x, int y) {
        desk.click(middle_of(x, y, 0).x, middle_of(x, y, 0).y);
        park_pointer();
    };
    click_cell(4, 4);
    ASSERT_TRUE(see([](const Screenshot &s) {
        return status_reads(s, status(0, 1)) && face_at(s, 4, 4, 0);
    })) << "a quick click places one piece";
    click_cell(4, 4);
    ASSERT_TRUE(see([](const Screenshot &s) {
        return status_reads(s, status(0, 0)) && !face_at(s, 4, 4, 0);
    })) << "and a second one on it takes it away";

    // S opens the selector once: cancelled, it does not open again.
    desk.tap("s");
    ASSERT_TRUE(see(dialog_open)) << game->output();
    desk.tap("Escape");
    ASSERT_TRUE(see([](const Screenshot &s) { return !dialog_open(s); }));

    // P starts a trial game on two pieces; Escape ends it and only it. The two pieces placed
    // also show that the Escape that cancelled neither ended the editor nor opened anything.
    click_cell(0, 0);
    click_cell(11, 6);
    ASSERT_TRUE(see([](const Screenshot &s) {
        return status_reads(s, status(0, 2)) && !dialog_open(s);
    })) << game->output();
    desk.tap("p");
    ASSERT_TRUE(see([](const Screenshot &s) { return frame_pixels(s) == 0; }))
        << "the trial game did not start\n" << game->output();
    desk.tap("Escape");
    ASSERT_TRUE(see([](const Screenshot &s) {
        return frame_pixels(s) > 5000 && status_reads(s, status(0, 2));
    })) << "back in the editor";
    let_time_pass();
    EXPECT_TRUE(game->running());
    EXPECT_TRUE(nothing_open(desk.grab())) << "the Escape that ended the game asks nothing";

    // Escape asks about the unsaved pieces; L leaves.
    desk.tap("Escape");
    ASSERT_TRUE(see(dialog_open)) << game->output();
    desk.tap("l");
    EXPECT_TRUE(exits_with(*game));
}

// The window's close button leaves the editor as Escape does: with unsaved changes it asks
// first, and Stay keeps the editor; an open file selector closes as cancelled first.
TEST_F(EditorWindow, TheCloseButtonLeavesAsEscapeDoes)
{
    start();
    press_cell(4, 4, 0, status(0, 1));
    park_pointer();
    ASSERT_TRUE(desk.request_close());
    ASSERT_TRUE(see(dialog_open)) << "the question about unsaved changes\n" << game->output();
    desk.tap("s");
    ASSERT_TRUE(see([](const Screenshot &s) {
        return !dialog_open(s) && status_reads(s, status(0, 1));
    }));

    // Nothing unsaved: the close button closes the open selector, then the editor. The piece
    // taken away shows that the request was forgotten once answered: no second question
    // stood in the way.
    press_cell(4, 4, 0, status(0, 0));
    EXPECT_FALSE(dialog_open(shot)) << "the request is forgotten once answered";
    park_pointer();
    desk.tap("l");
    ASSERT_TRUE(see(dialog_open)) << game->output();
    ASSERT_TRUE(desk.request_close());
    EXPECT_TRUE(exits_with(*game));
}

// ---------------------------------------------------------------------------------------------
// The author's bench: undo, the mirror, the selector's start, rating and generating

TEST_F(EditorWindow, AStrokeUndoneAndRedoneGivesBackThePixelsBeforeAndAfterIt)
{
    start();
    const Screenshot before = settled();
    press_cell(4, 4, 0, status(0, 1));
    press_cell(7, 2, 0, status(0, 2));
    const Screenshot after = settled();

    hold_ctrl_key("z");
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 1)); }));
    desk.press_key("BackSpace");
    expect_same_screen(before, "undone twice");
    hold_ctrl_key("y");
    hold_ctrl_key("z", true);
    expect_same_screen(after, "redone twice");

    // Undone to the empty layout of the start: nothing unsaved, so Escape leaves without a
    // question, once it is up.
    desk.press_key("BackSpace");
    desk.press_key("BackSpace");
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 0)); }));
    desk.key_down("Escape");
    let_time_pass();
    EXPECT_TRUE(game->running()) << "leaves only once Escape is up";
    desk.key_up("Escape");
    EXPECT_TRUE(exits_with(*game));
}

TEST_F(EditorWindow, ANameTypedAfterTheSelectorsFolderIsSavedUnderExactlyThatName)
{
    start();
    // Mirrored: one click places two pieces.
    desk.press_key("m");
    press_cell(2, 3, 0, status(0, 2));
    shot = settled();
    EXPECT_TRUE(face_at(shot, 9, 3, 0));
    ASSERT_NO_FATAL_FAILURE(save_as_typed("my.lyt", "my.lyt"));
    std::vector<unsigned char> expected(Layout::cell_count, 0);
    expected[Layout::index(2, 3, 0)] = expected[Layout::index(9, 3, 0)] = 1;
    EXPECT_EQ(read_file(folder.path("my.lyt")), expected);

    // Without an extension the name gets ".lyt", as the game reads it.
    ASSERT_NO_FATAL_FAILURE(save_as_typed("plain", "plain.lyt"));
    EXPECT_EQ(read_file(folder.path("plain.lyt")), expected);
    EXPECT_FALSE(std::filesystem::exists(folder.path(".my.lyt")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("plain.LYT")));
    desk.press_key("Escape");
    const Exit e = game->wait();
    EXPECT_TRUE(e.exited) << game->output();
}

TEST_F(EditorWindow, RatingShowsItsMessageAndReturnAnswersTheQuestionWithStay)
{
    start();
    press_cell(0, 0, 0, status(0, 1));
    press_cell(11, 6, 0, status(0, 2));
    park_pointer();
    desk.press_key("r");
    ASSERT_TRUE(see(message_open)) << game->output();
    save_screenshot(shot, "editor-rating.png");
    desk.press_key("Return");
    ASSERT_TRUE(see([](const Screenshot &s) {
        return nothing_open(s) && status_reads(s, status(0, 2));
    })) << game->output() << (game->running() ? "running" : "ended");

    // Return on the question about unsaved changes keeps the work.
    desk.press_key("Escape");
    ASSERT_TRUE(see(message_open));
    desk.press_key("Return");
    ASSERT_TRUE(see([](const Screenshot &s) {
        return nothing_open(s) && status_reads(s, status(0, 2));
    }));
    // The editor still runs: Escape asks again.
    desk.press_key("Escape");
    ASSERT_TRUE(see(message_open)) << game->output();
    EXPECT_TRUE(game->running());
    desk.press_key("l");
    const Exit e = game->wait();
    EXPECT_TRUE(e.exited) << game->output();
}

// The first shape G makes in a session is the one `tilestack-layout generate --seed 1` makes,
// and the layout tool's rate of the file saved finds it as clearable as promised.
TEST_F(EditorWindowSmoke, GenerateThenSaveGivesAMirroredShapeThatRatesAsPromised)
{
    if (TILESTACK_SANITIZED)
        GTEST_SKIP() << "the full search takes minutes under the sanitizers; the normal build's "
                        "smoke set runs it";
    start();
    park_pointer();
    desk.press_key("g");
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 144)); },
                    std::chrono::seconds(150)))
        << game->output();
    ASSERT_NO_FATAL_FAILURE(save_as_typed("made.lyt", "made.lyt"));
    Layout made;
    ASSERT_TRUE(made.load(folder.path("made.lyt").c_str()));
    EXPECT_EQ(made.count, 144);
    EXPECT_TRUE(is_mirrored(made));
    EXPECT_LE(layers_used(made), 0x1f) << "at most five layers";

    // Rated over the deals the search judged it by.
    const std::string command = std::string(TILESTACK_LAYOUT_TOOL) + " rate '" +
                                folder.path("made.lyt") + "' --deals 300 --seed 1 --strip '" +
                                folder.path("geek.tga") + "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char line[256];
    double cleared = -1;
    while (std::fgets(line, sizeof line, pipe)) {
        output += line;
        std::sscanf(line, "  can be cleared: %lf", &cleared);
    }
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_GE(cleared, 95.0) << output;
    desk.press_key("Escape");
    const Exit e = game->wait();
    EXPECT_TRUE(e.exited) << game->output();
}

TEST_F(EditorWindowThreads, WorkRunsOffTheLoopAndEscapeOrTheCloseButtonCancelsIt)
{
    start();
    const Screenshot before = settled();
    // The progress line, under the help line.
    const auto progress_shown = [&before](const Screenshot &s) {
        int n = 0;
        for (int y = 45; y < 53; y++)
            for (int x = 0; x < 400; x++)
                n += s.at(x, y) != before.at(x, y);
        return n > 100;
    };
    desk.press_key("g");
    ASSERT_TRUE(see(progress_shown)) << game->output();
    desk.press_key("Escape");
    // The work stops at its next look at the cancel, which a thread-checked build on a busy
    // machine may take a while to reach.
    ASSERT_TRUE(see([&](const Screenshot &s) { return s.differing(before) == 0; },
                    std::chrono::seconds(40)))
        << "cancelled: the layout as it was, no progress line";

    // The work starts again: the Escape that cancelled left nothing else.
    desk.press_key("g");
    ASSERT_TRUE(see(progress_shown)) << game->output();
    EXPECT_TRUE(game->running());
    ASSERT_TRUE(desk.request_close());
    EXPECT_TRUE(exits_with(*game));
}

}  // namespace
