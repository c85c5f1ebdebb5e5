// The layout editor stepped pass by pass with scripted input, read back from the screen; its
// file selector, question box and trial game are scripted through its hooks.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

using geometry::Point;

// The working folder as the file selector is started with: with a trailing '/', so that a name
// typed after it is a file in that folder.
inline std::string working_folder()
{
    char here[1024];
    EXPECT_NE(getcwd(here, sizeof here), nullptr);
    return std::string(here) + "/";
}

inline const char help_line[] = "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play";

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
