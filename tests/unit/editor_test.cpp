// The layout editor stepped pass by pass with scripted input, read back from the screen; its
// file selector, question box and trial game are scripted through its hooks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/resources.h"
#include "app/window_title.h"
#include "board/geometry.h"
#include "board/layout_text.h"
#include "editor/editor.h"
#include "render/legacy_text.h"
#include "support/boards.h"
#include "support/files.h"
#include "support/headless.h"

namespace {

using geometry::Point;

// The working folder as the file selector is started with: with a trailing '/', so that a name
// typed after it is a file in that folder.
std::string working_folder()
{
    char here[1024];
    EXPECT_NE(getcwd(here, sizeof here), nullptr);
    return std::string(here) + "/";
}

const char help_line[] = "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play";

// What a modal screen was asked to show.
struct Call {
    std::string title;  // the selector's title, or the question's first line
    std::string text;   // the selector's start path, or the question's other lines
    std::string buttons;
};

class EditorTest : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res;
    Editor editor;
    std::vector<Call> dialogs, questions;
    int games = 0;
    // What the scripted selector answers: a path (empty: cancel), and a side effect.
    std::string chosen_path;
    std::function<void()> in_dialog = [] {};
    int answer = 2;  // the question box: 1 leave, 2 stay
    std::vector<std::function<void()>> works;  // long work started, run by hand

    void SetUp() override
    {
        input::reset();
        LEGACY_TEXT(text_mode(-1));
        editor.select_file = [this](const char *title, char *path, const char *ext, int size,
                                    int w, int h) {
            dialogs.push_back({title, path, std::string(ext) + " " + std::to_string(size) + " " +
                                                std::to_string(w) + "x" + std::to_string(h)});
            in_dialog();
            if (chosen_path.empty())
                return 0;
            std::strcpy(path, chosen_path.c_str());
            return -1;  // the library's TRUE
        };
        editor.ask = [this](const char *s1, const char *s2, const char *s3, const char *b1,
                            const char *b2, int, int) {
            questions.push_back({s1, std::string(s2 ? s2 : "") + "|" + (s3 ? s3 : ""),
                                 std::string(b1) + "|" + (b2 ? b2 : "")});
            return answer;
        };
        editor.play = [this] {
            ADD_FAILURE() << "no trial game expected";
            return 1;
        };
        editor.start_work = [this](std::function<void()> work) { works.push_back(work); };
    }
    void TearDown() override { input::reset(); }

    void run(int passes = 1)
    {
        for (int i = 0; i < passes; i++)
            editor.pass();
    }
    void tap(int scancode)
    {
        input::key_down(scancode);
        run();
        input::key_up(scancode);
        run();
    }
    void click(int x, int y)
    {
        input::pointer(x, y, 1);
        run();
        input::buttons(0);
        run();
    }
    // The middle of a cell of a layer, on screen.
    static Point centre(int x, int y, int z)
    {
        Point p = geometry::cell_corner({20, 117}, x, y, z);
        return {p.x + 25, p.y + 17};
    }
    void click_cell(int x, int y, int z) { click(centre(x, y, z).x, centre(x, y, z).y); }

    // A pixel inside a piece face, clear of every placement frame.
    static Rgb face_pixel(int x, int y, int z, int dx = 21, int dy = 15)
    {
        Point p = geometry::cell_corner({20, 117}, x, y, z);
        return rgb_at(screen, p.x + dx, p.y + dy);
    }
    static bool face_at(int x, int y, int z)
    {
        return face_pixel(x, y, z) == rgb_of(FakeResources::face_colour(), 16);
    }
    // The inner line of a cell's own placement frame, which no neighbour draws over.
    static bool framed(int x, int y, int z)
    {
        Point p = geometry::cell_corner({20, 117}, x, y, z);
        return rgb_at(screen, p.x + 1, p.y + 17) == rgb_of(makecol(0, 128, 0), 16);
    }
    // Pixels of the text line at y that differ from the background: 0 where no line is shown.
    static int line_pixels(int y)
    {
        int n = 0;
        for (int py = y; py < y + 8; py++)
            for (int px = 0; px < 640; px++)
                n += rgb_at(screen, px, py) != rgb_of(FakeResources::background_colour(), 16);
        return n;
    }
    void ctrl(int scancode)
    {
        input::key_down(KEY_LCONTROL);
        tap(scancode);
        input::key_up(KEY_LCONTROL);
    }
    // A mark on the screen that only a new frame removes.
    static void mark() { putpixel(screen, 639, 479, makecol(255, 0, 0)); }
    static bool marked() { return rgb_at(screen, 639, 479) == rgb_of(makecol(255, 0, 0), 16); }

    // The top of the screen shows exactly this status line and the help line.
    static ::testing::AssertionResult status_reads(const char *status, bool dimmed = false)
    {
        BITMAP *expected = create_bitmap(640, 40);
        blit(resources.background_image, expected, 0, 0, 0, 0, 640, 40);
        if (dimmed)
            for (int i = 0; i < 640; i += 2) {
                vline(expected, i, 0, 40, 0);
                hline(expected, 0, i, 640, 0);
            }
        BITMAP *plain = create_bitmap(640, 40);
        blit(expected, plain, 0, 0, 0, 0, 640, 40);
        LEGACY_TEXT(textprintf(expected, font, 5, 5, -1, "%s", status));
        LEGACY_TEXT(textprintf(expected, font, 5, 25, -1, "%s", help_line));
        bool text_visible = !same_pixels(expected, plain);
        int wrong = 0;
        for (int y = 0; y < 40; y++)
            for (int x = 0; x < 640; x++)
                wrong += getpixel(screen, x, y) != getpixel(expected, x, y);
        destroy_bitmap(plain);
        destroy_bitmap(expected);
        if (!text_visible)
            return ::testing::AssertionFailure() << "text colour -1 draws nothing";
        if (wrong > 0)
            return ::testing::AssertionFailure()
                   << wrong << " pixels of the top lines differ from \"" << status << "\"";
        return ::testing::AssertionSuccess();
    }
};

// ---------------------------------------------------------------------------------------------
// The frame

TEST_F(EditorTest, EntryClearsTheLayoutAndShowsEmptyLayer0)
{
    layout.set(3, 3, 0, 1);
    layout.set(3, 3, 1, 5);
    Editor fresh;
    EXPECT_TRUE(same_board(layout, board_from_text("")));
    fresh.pass();
    int frames = 0, faces = 0;
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 12; x++) {
            frames += framed(x, y, 0);
            faces += face_at(x, y, 0);
        }
    EXPECT_EQ(frames, 84);
    EXPECT_EQ(faces, 0);
    EXPECT_EQ(rgb_at(screen, 320, 470), rgb_of(FakeResources::background_colour(), 16));
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
    EXPECT_FALSE(fresh.has_unsaved_changes());
}

TEST_F(EditorTest, NewFrameOnlyWhenSomethingVisibleChanged)
{
    run();
    mark();
    input::pointer(300, 300);
    run(5);
    click(5, 5);    // outside the grid
    tap(KEY_1);     // the layer already shown
    tap(KEY_7);     // not a key of the editor
    EXPECT_TRUE(marked());

    click_cell(4, 4, 0);
    EXPECT_FALSE(marked()) << "a placed piece is shown";
    EXPECT_TRUE(face_at(4, 4, 0));
    EXPECT_TRUE(status_reads("z:        0   count:    1"));

    mark();
    tap(KEY_2);
    EXPECT_FALSE(marked()) << "another layer is shown";
}

TEST_F(EditorTest, LowerLayersAreDimmedAndUpperLayersHidden)
{
    run();
    layout.set(0, 0, 0, 1);
    layout.set(1, 0, 1, 1);
    layout.set(1, 0, 0, 1);
    layout.set(5, 5, 2, 1);  // above the layer shown
    tap(KEY_2);

    const Rgb face = rgb_of(FakeResources::face_colour(), 16);
    const Rgb black = {0, 0, 0};
    // Layer 0 (corner at an even pixel): only odd columns on odd rows keep their colour.
    EXPECT_EQ(face_pixel(0, 0, 0, 21, 16), face);
    EXPECT_EQ(face_pixel(0, 0, 0, 20, 16), black);
    EXPECT_EQ(face_pixel(0, 0, 0, 21, 15), black);
    // Layer 1 is drawn over the veil, whole.
    EXPECT_EQ(face_pixel(1, 0, 1, 20, 16), face);
    EXPECT_EQ(face_pixel(1, 0, 1, 21, 15), face);
    EXPECT_FALSE(face_at(5, 5, 2));
    EXPECT_EQ(face_pixel(5, 5, 2, 21, 17), rgb_of(FakeResources::background_colour(), 16));
    EXPECT_TRUE(framed(1, 0, 1)) << "a piece below supports a frame";
    EXPECT_FALSE(framed(2, 0, 1));
    EXPECT_TRUE(status_reads("z:        1   count:    4", true));
}

TEST_F(EditorTest, LayerKeysChooseLayers0To5AndTheLowestNumberWins)
{
    const int keys[] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};
    const char *status[] = {"z:        0   count:    0", "z:        1   count:    0",
                            "z:        2   count:    0", "z:        3   count:    0",
                            "z:        4   count:    0", "z:        5   count:    0"};
    for (int z : {3, 5, 0, 1, 4, 2}) {
        tap(keys[z]);
        EXPECT_EQ(editor.current_layer, z);
        EXPECT_TRUE(status_reads(status[z], z > 0)) << "key " << z + 1;
    }
    mark();
    tap(KEY_7);
    EXPECT_EQ(editor.current_layer, 2);
    EXPECT_TRUE(marked());

    input::key_down(KEY_6);
    input::key_down(KEY_4);
    input::key_down(KEY_5);
    run();
    EXPECT_EQ(editor.current_layer, 3);
}

// ---------------------------------------------------------------------------------------------
// Strokes

TEST_F(EditorTest, HitPointsFollowTheBoardOriginAndTheLayerShift)
{
    run();
    click(19, 117);
    click(620, 117);
    click(20, 116);
    EXPECT_EQ(layout.count, 0);
    click(20, 117);
    EXPECT_EQ(layout.get(0, 0, 0), 1);
    click(619, 361);
    EXPECT_EQ(layout.get(11, 6, 0), 1);
    EXPECT_EQ(layout.count, 2);

    tap(KEY_2);
    click(9, 110);   // left of layer 1
    click(10, 109);  // above it
    EXPECT_EQ(layout.count, 2);
    click(10, 110);
    EXPECT_EQ(layout.get(0, 0, 1), 1);
    EXPECT_EQ(layout.count, 3);
}

TEST_F(EditorTest, PlacingStrokeFillsEmptyCellsItEntersAndLeavesPiecesAlone)
{
    run();
    layout.set(2, 3, 0, 1);
    layout.set(5, 3, 0, 7);  // a value only a file can hold: a placing stroke makes it 1
    input::pointer(centre(0, 3, 0).x, centre(0, 3, 0).y, 1);
    for (int x = centre(0, 3, 0).x; x <= centre(11, 3, 0).x; x += 7) {
        input::pointer(x, centre(0, 3, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    Layout expected = board_from_text("layer 0\n............\n............\n............\n"
                                      "oooooooooooo\n............\n............\n............\n");
    EXPECT_TRUE(same_board(layout, expected));
    for (int x = 0; x < 12; x++)
        EXPECT_TRUE(face_at(x, 3, 0)) << "column " << x;
    EXPECT_TRUE(status_reads("z:        0   count:   12"));

    // Only the cell under the pointer at each pass counts: jumps skip cells.
    for (int x = 0; x < 12; x += 3) {
        input::pointer(centre(x, 5, 0).x, centre(x, 5, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    EXPECT_EQ(layout.count, 16);
    EXPECT_EQ(layout.get(3, 5, 0), 1);
    EXPECT_EQ(layout.get(4, 5, 0), 0);
}

TEST_F(EditorTest, RemovingStrokeEmptiesPiecesItEntersAndPlacesNothing)
{
    run();
    layout = board_from_text("layer 0\n............\n............\n............\n"
                             "oooo.ooo.ooo\n............\n............\n............\n"
                             "layer 1\n............\n............\n............\n"
                             "......o.....\n............\n............\n............\n");
    for (int x = 0; x < 12; x++) {
        input::pointer(centre(x, 3, 0).x, centre(x, 3, 0).y, 1);
        run(2);
    }
    input::buttons(0);
    run();
    EXPECT_TRUE(same_board(layout, board_from_text(""))) << "the piece on layer 1 goes too";
    for (int x = 0; x < 12; x++)
        EXPECT_FALSE(face_at(x, 3, 0)) << "column " << x;
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
}

TEST_F(EditorTest, HeldStillOrMovedWithinACellAStrokeActsOnce)
{
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run(2);
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    mark();
    for (int i = 0; i < 10; i++) {
        input::pointer(centre(3, 3, 0).x + i, centre(3, 3, 0).y - i, 1);
        run();
    }
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    EXPECT_EQ(layout.count, 1);
    EXPECT_TRUE(marked()) << "nothing changed, nothing drawn";

    // A stroke that began by removing never places, even back over the cell it emptied.
    input::buttons(0);
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run();
    EXPECT_EQ(layout.count, 0);
    input::pointer(centre(4, 3, 0).x, centre(4, 3, 0).y, 1);
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run();
    EXPECT_EQ(layout.count, 0);
}

TEST_F(EditorTest, PressOutsideTheGridDoesNothingUntilItReachesTheGrid)
{
    run();
    mark();
    for (Point p : {Point{5, 5}, Point{19, 200}, Point{320, 470}, Point{630, 117},
                    Point{320, 116}, Point{320, 363}})
        click(p.x, p.y);
    input::pointer(300, 300, 2);  // right button
    run(3);
    EXPECT_EQ(layout.count, 0);
    EXPECT_TRUE(marked());

    // Dragged in from outside, the stroke starts at the first cell it reaches.
    input::pointer(5, 200, 1);
    run();
    input::pointer(30, 200, 1);
    run();
    EXPECT_EQ(layout.get(0, 2, 0), 1);
    EXPECT_EQ(layout.count, 1);
}

TEST_F(EditorTest, UpperLayersNeedAPieceBelow)
{
    tap(KEY_2);
    EXPECT_FALSE(framed(0, 0, 1));
    click_cell(0, 0, 1);
    EXPECT_EQ(layout.count, 0);

    tap(KEY_1);
    click_cell(0, 0, 0);
    tap(KEY_2);
    EXPECT_TRUE(framed(0, 0, 1));
    EXPECT_FALSE(framed(1, 0, 1));
    click_cell(0, 0, 1);
    EXPECT_EQ(layout.get(0, 0, 1), 1);
    EXPECT_EQ(layout.count, 2);

    // A floating piece, as a file may hold, cannot be removed until it is supported.
    layout.set(6, 2, 1, 1);
    click_cell(6, 2, 1);
    EXPECT_EQ(layout.get(6, 2, 1), 1);
    tap(KEY_1);
    click_cell(6, 2, 0);
    tap(KEY_2);
    click_cell(6, 2, 1);
    EXPECT_EQ(layout.get(6, 2, 1), 0);
}

TEST_F(EditorTest, RemovingUnderAStackEmptiesTheWholeStack)
{
    run();
    for (int z = 0; z < 6; z++)
        layout.set(3, 3, z, 1);
    tap(KEY_2);
    click_cell(3, 3, 1);
    EXPECT_EQ(layout.count, 1);
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    for (int z = 1; z < 6; z++)
        EXPECT_EQ(layout.get(3, 3, z), 0) << "layer " << z;
    EXPECT_TRUE(status_reads("z:        1   count:    1", true));
}

// ---------------------------------------------------------------------------------------------
// Save and load

TEST_F(EditorTest, SaveAndLoadKeysOpenOneSelectorPerPress)
{
    run();
    input::key_down(KEY_S);
    run(5);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Save layout");
    EXPECT_EQ(dialogs[0].text, working_folder());
    EXPECT_EQ(dialogs[0].buttons, "lyt 1024 500x350");
    input::key_up(KEY_S);
    run();
    chosen_path = "";
    in_dialog = [this] { std::strcpy(editor.path, "/somewhere/else"); };
    tap(KEY_S);
    in_dialog = [] {};
    ASSERT_EQ(dialogs.size(), 2u);

    input::key_down(KEY_L);
    run(5);
    input::key_up(KEY_L);
    run();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[2].title, "Load layout");
    EXPECT_EQ(dialogs[2].text, working_folder()) << "every dialog starts in the current folder";
    EXPECT_EQ(dialogs[2].buttons, "lyt 1024 500x350");
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(editor.has_left());
}

TEST_F(EditorTest, SaveWritesEveryCellAndCancelWritesNothing)
{
    TempDir dir;
    run();
    click_cell(0, 0, 0);
    click_cell(11, 6, 0);
    tap(KEY_2);
    click_cell(11, 6, 1);
    mark();

    chosen_path = dir.path("other.lyt");
    in_dialog = [this] { chosen_path.clear(); };  // cancel
    tap(KEY_S);
    EXPECT_TRUE(dir.entries().empty());

    in_dialog = [] {};
    chosen_path = dir.path("mine.lyt");
    tap(KEY_S);
    std::vector<unsigned char> expected(504, 0);
    expected[0] = expected[83] = expected[84 + 83] = 1;
    EXPECT_EQ(read_file(dir.path("mine.lyt")), expected);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"mine.lyt"});
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(marked()) << "saving changes nothing on screen";
}

TEST_F(EditorTest, LoadShowsTheLayoutAndItsCountOnTheSelectedLayer)
{
    TempDir dir;
    std::vector<unsigned char> bytes(504, 0);
    bytes[Layout::index(2, 1, 0)] = 1;
    bytes[Layout::index(2, 1, 1)] = 200;
    bytes[Layout::index(7, 4, 0)] = 3;
    write_file(dir.path("shape.lyt"), bytes);

    tap(KEY_2);
    chosen_path = dir.path("shape.lyt");
    tap(KEY_L);
    run();
    EXPECT_EQ(editor.current_layer, 1);
    EXPECT_EQ(layout.count, 3);
    EXPECT_TRUE(face_at(2, 1, 1)) << "any value other than 0 is a piece";
    EXPECT_TRUE(framed(7, 4, 1));
    EXPECT_TRUE(status_reads("z:        1   count:    3", true));
    EXPECT_FALSE(editor.has_unsaved_changes());
    EXPECT_EQ(editor.title_shown,
              "tilestack - editor - F2: keys - shape.lyt - 3 pieces - odd: can never be cleared");
}

TEST_F(EditorTest, OtherValuesFromAFileAreSavedBackUnlessAStrokeEnteredThem)
{
    TempDir dir;
    std::vector<unsigned char> bytes(504, 0);
    bytes[Layout::index(0, 0, 0)] = 9;
    bytes[Layout::index(1, 0, 0)] = 200;
    bytes[Layout::index(2, 0, 0)] = 3;
    bytes[Layout::index(5, 5, 0)] = 77;
    bytes[Layout::index(0, 0, 1)] = 255;
    write_file(dir.path("odd.lyt"), bytes);
    chosen_path = dir.path("odd.lyt");
    tap(KEY_L);

    // A placing stroke from (3, 0) into (2, 0); a removing stroke on (5, 5).
    input::pointer(centre(3, 0, 0).x, centre(3, 0, 0).y, 1);
    run();
    input::pointer(centre(2, 0, 0).x, centre(2, 0, 0).y, 1);
    run();
    input::buttons(0);
    run();
    click_cell(5, 5, 0);
    EXPECT_EQ(layout.count, 5);

    chosen_path = dir.path("back.lyt");
    tap(KEY_S);
    bytes[Layout::index(2, 0, 0)] = 1;
    bytes[Layout::index(3, 0, 0)] = 1;
    bytes[Layout::index(5, 5, 0)] = 0;
    EXPECT_EQ(read_file(dir.path("back.lyt")), bytes);
}

TEST_F(EditorTest, FailedSaveSaysSoNamingTheFileAndKeepsTheOldFile)
{
    TempDir dir;
    std::vector<unsigned char> old(504, 4);
    write_file(dir.path("keep.lyt"), old);
    run();
    click_cell(1, 1, 0);
    Layout before = layout;

    chosen_path = dir.path("keep.lyt");
    with_file_size_limit(100, [this] { tap(KEY_S); });  // as on a full disk
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].title.find("Could not save"), std::string::npos);
    EXPECT_NE(questions[0].text.find(dir.path("keep.lyt")), std::string::npos);
    EXPECT_NE(questions[0].text.find("|File too large (no file was changed)"), std::string::npos)
        << "the system's words for what failed: " << questions[0].text;
    EXPECT_EQ(questions[0].buttons, "OK|");
    EXPECT_EQ(read_file(dir.path("keep.lyt")), old);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.lyt"});
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_TRUE(editor.has_unsaved_changes()) << "nothing was saved";

    chosen_path = dir.path("no-such-folder/new.lyt");
    tap(KEY_S);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(questions[1].text.find("no-such-folder/new.lyt"), std::string::npos);
    EXPECT_NE(questions[1].text.find("|No such file or directory"), std::string::npos)
        << questions[1].text;

    ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0644), 0);
    const std::string pipe = kind_at(dir.path("pipe"));
    chosen_path = dir.path("pipe");
    tap(KEY_S);
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_NE(questions[2].text.find("|it is not a regular file (no file was changed)"),
              std::string::npos)
        << questions[2].text;
    EXPECT_EQ(kind_at(dir.path("pipe")), pipe);
}

TEST_F(EditorTest, FailedLoadSaysSoNamingTheFileAndKeepsTheLayout)
{
    TempDir dir;
    write_file(dir.path("short.lyt"), std::vector<unsigned char>(503, 1));
    run();
    click_cell(1, 1, 0);
    click_cell(2, 2, 0);
    Layout before = layout;

    for (std::string name : {"missing.lyt", "short.lyt", ""}) {
        SCOPED_TRACE(name);
        questions.clear();
        chosen_path = dir.path(name);
        tap(KEY_L);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_NE(questions[0].title.find("Could not load"), std::string::npos);
        EXPECT_NE(questions[0].text.find(dir.path(name)), std::string::npos);
        EXPECT_TRUE(same_board(layout, before));
        run();
        EXPECT_TRUE(face_at(2, 2, 0));
    }
    EXPECT_TRUE(editor.has_unsaved_changes());
}

TEST(FitPath, LongPathsKeepTheirEnd)
{
    EXPECT_EQ(fit_path("/tmp/a.lyt", 560, font), "/tmp/a.lyt");
    std::string deep = "/" + std::string(300, 'd') + "/shape.lyt";
    std::string fitted = fit_path(deep.c_str(), 560, font);
    EXPECT_LE(text_length(font, fitted.c_str()), 560);
    EXPECT_GT(text_length(font, fitted.c_str()), 540);
    EXPECT_EQ(fitted.substr(0, 3), "...");
    EXPECT_EQ(fitted.substr(fitted.size() - 10), "/shape.lyt");
}

TEST(EditorTitle, NamesTheFileMarksUnsavedChangesAndWarnsOfAnOddCount)
{
    const struct {
        const char *file;
        bool unsaved;
        int count;
        const char *title;
    } cases[] = {
        {"", false, 0, "tilestack - editor - F2: keys - new layout - 0 pieces"},
        {"", true, 1,
         "tilestack - editor - F2: keys - *new layout - 1 piece - odd: can never be cleared"},
        {"a.lyt", false, 144, "tilestack - editor - F2: keys - a.lyt - 144 pieces"},
        {"a.lyt", true, 15,
         "tilestack - editor - F2: keys - *a.lyt - 15 pieces - odd: can never be cleared"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(window_title_text("editor", editor_title_notes(c.file, c.unsaved, c.count)),
                  c.title);
}

// ---------------------------------------------------------------------------------------------
// Trial play

TEST_F(EditorTest, TrialPlayWaitsForPAndOfAnEmptyLayoutChangesNothing)
{
    run();
    editor.play = [this] {
        games++;
        EXPECT_EQ(layout.count, 0);
        return 1;
    };
    input::key_down(KEY_P);
    run(5);
    EXPECT_EQ(games, 0) << "not while P is held";
    mark();
    input::key_up(KEY_P);
    run(2);
    EXPECT_EQ(games, 1);
    EXPECT_FALSE(marked()) << "the editor redraws";
    EXPECT_TRUE(same_board(layout, board_from_text("")));
    EXPECT_FALSE(editor.has_left());
}

TEST_F(EditorTest, TrialGameWonLostOrAbandonedLeavesTheEditAsItWas)
{
    run();
    for (int x = 0; x < 5; x++)
        click_cell(x, 2, 0);
    tap(KEY_2);
    click_cell(1, 2, 1);
    layout.set(9, 6, 0, 42);
    tap(KEY_3);
    const Layout before = layout;
    ASSERT_EQ(before.count, 7);

    for (int result : {1, 2, 3}) {
        SCOPED_TRACE(result);
        editor.play = [this, result] {
            games++;
            // What a game does: symbols dealt over every piece, then pairs cleared.
            for (int i = 0; i < Layout::cell_count; i++)
                if (layout.cell(i) != 0)
                    layout.set_cell(i, 1 + i % 3);
            layout.set(0, 2, 0, 0);
            layout.set(1, 2, 1, 0);
            if (result == 2)
                layout.clear();
            return result;
        };
        tap(KEY_P);
        run(2);
        EXPECT_TRUE(same_board(layout, before));
        EXPECT_EQ(editor.current_layer, 2);
        EXPECT_FALSE(editor.has_left());
        EXPECT_TRUE(status_reads("z:        2   count:    7", true));
    }
    EXPECT_EQ(games, 3);
    EXPECT_TRUE(editor.has_unsaved_changes()) << "trial play saves nothing";
}

// ---------------------------------------------------------------------------------------------
// Leaving

TEST_F(EditorTest, EscapeLeavesOnlyOnceReleasedAndAsksNothingWithoutChanges)
{
    run();
    click_cell(4, 4, 0);
    click_cell(4, 4, 0);  // placed and removed again: nothing to lose
    input::key_down(KEY_ESC);
    run(5);
    EXPECT_FALSE(editor.has_left());
    input::key_up(KEY_ESC);
    run();
    EXPECT_TRUE(editor.has_left());
    EXPECT_TRUE(questions.empty());
}

TEST_F(EditorTest, EscapeWithUnsavedChangesAsksFirst)
{
    run();
    click_cell(4, 4, 0);
    mark();
    answer = 2;
    tap(KEY_ESC);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].buttons, "&Leave|&Stay");
    EXPECT_FALSE(editor.has_left());
    run();
    EXPECT_FALSE(marked()) << "staying redraws the editor over the question box";

    // Answered with Escape, which is still down afterwards: no second question.
    editor.ask = [this](const char *, const char *, const char *, const char *, const char *,
                        int, int) {
        questions.push_back({});
        input::key_down(KEY_ESC);
        return 2;
    };
    tap(KEY_ESC);
    ASSERT_EQ(questions.size(), 2u);
    run(5);
    input::key_up(KEY_ESC);
    run(5);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(editor.has_left());
    EXPECT_EQ(layout.count, 1);

    editor.ask = [this](const char *, const char *, const char *, const char *, const char *,
                        int, int) {
        questions.push_back({});
        return 1;
    };
    tap(KEY_ESC);
    EXPECT_EQ(questions.size(), 3u);
    EXPECT_TRUE(editor.has_left());
}

TEST_F(EditorTest, NoQuestionOnceTheLayoutIsSavedOrLoaded)
{
    TempDir dir;
    run();
    click_cell(4, 4, 0);
    chosen_path = dir.path("saved.lyt");
    tap(KEY_S);
    EXPECT_FALSE(editor.has_unsaved_changes());
    click_cell(5, 5, 0);
    EXPECT_TRUE(editor.has_unsaved_changes());
    tap(KEY_L);  // back to what was saved
    EXPECT_FALSE(editor.has_unsaved_changes());
    tap(KEY_ESC);
    EXPECT_TRUE(editor.has_left());
    EXPECT_TRUE(questions.empty());
}

// ---------------------------------------------------------------------------------------------
// A key or button that closed a modal screen acts only there.

TEST_F(EditorTest, InputHeldWhenAModalScreenClosesActsOnlyThere)
{
    run();
    // Escape that cancelled the selector does not also leave the editor.
    in_dialog = [] { input::key_down(KEY_ESC); };
    tap(KEY_S);
    run(3);
    input::key_up(KEY_ESC);
    run(3);
    EXPECT_FALSE(editor.has_left());

    // A double click that confirmed the selector over the grid places nothing.
    TempDir dir;
    write_file(dir.path("empty.lyt"), std::vector<unsigned char>(504, 0));
    chosen_path = dir.path("empty.lyt");
    in_dialog = [] { input::pointer(centre(5, 3, 0).x, centre(5, 3, 0).y, 1); };
    tap(KEY_L);
    run(3);
    EXPECT_EQ(layout.count, 0);
    input::buttons(0);
    run();
    click_cell(5, 3, 0);
    EXPECT_EQ(layout.count, 1) << "the next press works";

    // P pressed during the trial game does not start another one.
    editor.play = [this] {
        games++;
        input::key_down(KEY_P);
        return 1;
    };
    tap(KEY_P);
    run(3);
    input::key_up(KEY_P);
    run(3);
    EXPECT_EQ(games, 1);
}

// ---------------------------------------------------------------------------------------------
// Undo and redo, mirrored strokes

TEST_F(EditorTest, UndoAndRedoStepWholeStrokesAndLoadsOncePerPress)
{
    TempDir dir;
    run();
    // A stroke across three cells is one step.
    input::pointer(centre(0, 1, 0).x, centre(0, 1, 0).y, 1);
    run();
    for (int x = 1; x < 3; x++) {
        input::pointer(centre(x, 1, 0).x, centre(x, 1, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    click_cell(5, 5, 0);
    ASSERT_EQ(layout.count, 4);

    input::key_down(KEY_BACKSPACE);
    run(5);
    input::key_up(KEY_BACKSPACE);
    run();
    EXPECT_EQ(layout.count, 3) << "one step a press";
    EXPECT_FALSE(face_at(5, 5, 0));
    ctrl(KEY_Z);
    EXPECT_EQ(layout.count, 0);
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
    ctrl(KEY_Z);
    EXPECT_EQ(layout.count, 0) << "nothing more to take back";
    ctrl(KEY_Y);
    EXPECT_EQ(layout.count, 3);
    EXPECT_TRUE(face_at(2, 1, 0));
    input::key_down(KEY_LSHIFT);
    ctrl(KEY_Z);
    input::key_up(KEY_LSHIFT);
    EXPECT_EQ(layout.get(5, 5, 0), 1);
    EXPECT_TRUE(status_reads("z:        0   count:    4"));

    // A change after an undo forgets what could be done again.
    tap(KEY_BACKSPACE);
    click_cell(9, 0, 0);
    ctrl(KEY_Y);
    EXPECT_EQ(layout.get(5, 5, 0), 0);
    EXPECT_EQ(layout.count, 4);

    // Undoing back to the layout last saved leaves nothing unsaved.
    chosen_path = dir.path("saved.lyt");
    tap(KEY_S);
    click_cell(7, 3, 0);
    EXPECT_TRUE(editor.has_unsaved_changes());
    tap(KEY_BACKSPACE);
    EXPECT_FALSE(editor.has_unsaved_changes());

    // A load is a step: undo gives back the edit it replaced, which is then unsaved.
    const Layout edited = layout;
    std::vector<unsigned char> two(504, 0);
    two[Layout::index(4, 4, 0)] = two[Layout::index(4, 4, 1)] = 1;
    write_file(dir.path("two.lyt"), two);
    chosen_path = dir.path("two.lyt");
    tap(KEY_L);
    EXPECT_EQ(layout.count, 2);
    tap(KEY_BACKSPACE);
    EXPECT_TRUE(same_board(layout, edited));
    EXPECT_TRUE(editor.has_unsaved_changes());
    ctrl(KEY_Y);
    EXPECT_EQ(layout.count, 2);
    EXPECT_FALSE(editor.has_unsaved_changes());
    EXPECT_TRUE(questions.empty());
}

TEST_F(EditorTest, MirrorKeyMakesStrokesActOnBothHalvesAndSaysSo)
{
    run();
    EXPECT_EQ(line_pixels(45), 0);
    input::key_down(KEY_M);
    run(5);
    input::key_up(KEY_M);
    run();
    EXPECT_GT(line_pixels(45), 100) << "a third line says mirroring is on";
    EXPECT_TRUE(status_reads("z:        0   count:    0"));

    click_cell(2, 3, 0);
    EXPECT_EQ(layout.get(9, 3, 0), 1);
    EXPECT_TRUE(face_at(9, 3, 0));
    click_cell(9, 3, 0);  // both go
    EXPECT_EQ(layout.count, 0);
    tap(KEY_BACKSPACE);
    EXPECT_EQ(layout.count, 2) << "a mirrored stroke is one step";

    tap(KEY_M);
    EXPECT_EQ(line_pixels(45), 0);
    click_cell(2, 1, 0);
    EXPECT_EQ(layout.get(9, 1, 0), 0);
    EXPECT_EQ(layout.count, 3);
}

// ---------------------------------------------------------------------------------------------
// Rating, generating and improving

TEST_F(EditorTest, RatingRunsOffTheLoopWithAProgressLineAndEndsInAMessage)
{
    run();
    for (int x = 0; x < 8; x += 2)
        click_cell(x, 2, 0);  // four pieces, each free: every deal clears
    const Layout shape = layout;
    tap(KEY_R);
    ASSERT_EQ(works.size(), 1u);
    EXPECT_GT(line_pixels(45), 100) << "the progress line";
    EXPECT_TRUE(status_reads("z:        0   count:    4"));

    // While it runs, only Escape and the close button are read.
    click_cell(8, 5, 0);
    tap(KEY_S);
    tap(KEY_R);
    tap(KEY_BACKSPACE);
    tap(KEY_M);
    EXPECT_TRUE(same_board(layout, shape));
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(works.size(), 1u);

    works[0]();
    run(2);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "300 deals of this shape rated:");
    EXPECT_EQ(questions[0].text, "100.0 % can be cleared, 0.0 % are impossible, 0.0 % undecided;|"
                                 "a player taking the first pair clears 100.0 %.");
    EXPECT_EQ(questions[0].buttons, "OK|");
    EXPECT_EQ(line_pixels(45), 0) << "no progress line once done";
    EXPECT_TRUE(same_board(layout, shape));
    click_cell(8, 5, 0);
    EXPECT_EQ(layout.count, 5) << "editing goes on";

    // A shape that cannot be dealt is not rated.
    tap(KEY_R);
    EXPECT_EQ(works.size(), 1u);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].title, "This shape cannot be rated:");
    EXPECT_EQ(questions[1].text, "The shape has an odd number of pieces (5): pieces are dealt in "
                                 "pairs.|");
}

TEST_F(EditorTest, CancelledWorkLeavesTheLayoutAndItsUnsavedStateAsTheyWere)
{
    run();
    click_cell(1, 1, 0);
    click_cell(2, 1, 0);
    const Layout before = layout;
    tap(KEY_R);
    ASSERT_EQ(works.size(), 1u);
    input::key_down(KEY_ESC);
    run(3);
    works[0]();  // sees the cancel before its first deal
    run(3);
    input::key_up(KEY_ESC);
    run(3);
    EXPECT_TRUE(questions.empty()) << "no rating shown";
    EXPECT_FALSE(editor.has_left()) << "the Escape that cancelled leaves nothing";
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_TRUE(editor.has_unsaved_changes());
    EXPECT_EQ(line_pixels(45), 0);

    // Generating asks first over unsaved changes; Stay starts nothing.
    answer = 2;
    tap(KEY_G);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "The layout has changes that are not saved.");
    EXPECT_EQ(questions[0].buttons, "&Replace|&Stay");
    EXPECT_EQ(works.size(), 1u);
    answer = 1;
    tap(KEY_G);
    ASSERT_EQ(works.size(), 2u);
    tap(KEY_ESC);
    works[1]();
    run(2);
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(editor.has_left());
}

TEST_F(EditorTest, ImproveSaysWhatItDidAndRefusesAnUnsoundShape)
{
    run();
    click_cell(3, 3, 0);
    tap(KEY_I);
    EXPECT_TRUE(works.empty());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "This shape cannot be improved:");
    EXPECT_EQ(questions[0].text, "odd count: 1 pieces can never all be paired|"
                                 "(improving needs an even count, each piece resting on something)");

    for (int x = 0; x < 12; x += 2)
        click_cell(x, 5, 0);
    click_cell(3, 1, 0);  // eight pieces, none beside another: every deal clears
    tap(KEY_I);
    ASSERT_EQ(works.size(), 1u);
    works[0]();
    run(2);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].title, "Pieces moved: 0.");
    EXPECT_EQ(questions[1].text, "Deals that can be cleared: 100.0 % before, 100.0 % after|"
                                 "(1000 deals each).");
    EXPECT_EQ(layout.count, 8);
}

}  // namespace
