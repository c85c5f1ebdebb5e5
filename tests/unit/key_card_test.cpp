// The card of keys over the editor: F2 shows it, keys under it do nothing, and the Escape
// that closes it gives the frame back without leaving the editor.
#include <gtest/gtest.h>

#include "editor/editor.h"
#include "render/legacy_text.h"
#include "support/headless.h"

TEST(KeyCard, OverTheEditorTakesEveryPassUntilClosed)
{
    FakeDisplay display;
    FakeResources res;
    input::reset();
    LEGACY_TEXT(text_mode(-1));
    Editor editor;
    editor.select_file = [](const char *, char *, const char *, int, int, int) {
        ADD_FAILURE() << "no file selector under the card";
        return 0;
    };
    editor.pass();
    BITMAP *frame = create_bitmap(640, 480);
    blit(screen, frame, 0, 0, 0, 0, 640, 480);
    auto tap = [&](int scancode) {
        input::key_down(scancode);
        editor.pass();
        input::reset();
        for (int i = 0; i < 3; i++)
            editor.pass();
    };
    tap(KEY_F2);
    EXPECT_FALSE(same_pixels(screen, frame)) << "the card is shown";
    tap(KEY_2);
    tap(KEY_S);
    tap(KEY_ESC);
    EXPECT_TRUE(same_pixels(screen, frame)) << "the frame as it was";
    EXPECT_FALSE(editor.has_left());
    EXPECT_EQ(editor.current_layer, 0);
    destroy_bitmap(frame);
}
