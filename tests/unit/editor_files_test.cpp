// The editor's save and load through the file selector, and the window's title.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "unit/editor_fixture.h"

namespace {

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
    EXPECT_EQ(read_file(dir.path("mine.lyt")),
              layout_bytes({{0, 0, 0, 1}, {11, 6, 0, 1}, {11, 6, 1, 1}}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"mine.lyt"});
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(marked()) << "saving changes nothing on screen";
}

TEST_F(EditorTest, LoadShowsTheLayoutAndItsCountOnTheSelectedLayer)
{
    TempDir dir;
    write_file(dir.path("shape.lyt"), layout_bytes({{2, 1, 0, 1}, {2, 1, 1, 200}, {7, 4, 0, 3}}));

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
}

TEST_F(EditorTest, OtherValuesFromAFileAreSavedBackUnlessAStrokeEnteredThem)
{
    TempDir dir;
    std::vector<unsigned char> bytes =
        layout_bytes({{0, 0, 0, 9}, {1, 0, 0, 200}, {2, 0, 0, 3}, {5, 5, 0, 77}, {0, 0, 1, 255}});
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

}  // namespace
