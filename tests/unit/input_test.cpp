// The input module fed through the library's own callbacks, as its input thread calls them,
// and sampled as the screens sample it once per pass.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "app/idle.h"
#include "app/input.h"
#include "support/headless.h"

namespace {

// Its suite's name puts it in the thread build too (tests/CMakeLists.txt).
class InputThread : public RecordedInput {
protected:
    // What the library's thread does for a press or a release at (x, y).
    static void button(int flag, int x, int y, int held_buttons)
    {
        input::pointer(x, y, held_buttons);
        mouse_callback(flag | MOUSE_FLAG_MOVE);
    }

    // Plays a script of what the library's thread does and gives what the samples read.
    // "L+x,y" the left button's press at (x, y), "L-x,y" its release, "L~x,y" a move while it
    // is held, "R+" and "R-" the same for the right button; "L^x,y" the library shows the left
    // button down at (x, y) before its callback, "L*" that callback. "S+" and "S-" the
    // callbacks of S going down and up, "S^" and "S_" the library's key[] for it. "|" a
    // sample, read as its buttons and "s" when S is down; "|@" with the pointer too.
    static std::string play(const char *script)
    {
        std::istringstream tokens(script);
        std::string read;
        for (std::string t; tokens >> t;) {
            if (t[0] == '|') {
                const InputState in = sample_input();
                read += (read.empty() ? "" : " ") + std::to_string(in.mouse_b) +
                        (in.key(KEY_S) ? "s" : "");
                if (t == "|@")
                    read += "@" + std::to_string(in.mouse_x) + "," + std::to_string(in.mouse_y);
                continue;
            }
            int x = 0, y = 0;
            std::sscanf(t.c_str() + 2, "%d,%d", &x, &y);
            const bool left = t[0] == 'L';
            if (t == "S+" || t == "S-")
                keyboard_lowlevel_callback(t[1] == '+' ? KEY_S : KEY_S | 0x80);
            else if (t == "S^" || t == "S_")
                t[1] == '^' ? input::key_down(KEY_S) : input::key_up(KEY_S);
            else if (t[1] == '^')
                input::pointer(x, y, 1);
            else if (t[1] == '*')
                mouse_callback(MOUSE_FLAG_LEFT_DOWN);
            else if (t[1] == '~')
                button(0, x, y, 1);
            else if (t[1] == '+')
                button(left ? MOUSE_FLAG_LEFT_DOWN : MOUSE_FLAG_RIGHT_DOWN, x, y, left ? 1 : 2);
            else
                button(left ? MOUSE_FLAG_LEFT_UP : MOUSE_FLAG_RIGHT_UP, x, y, 0);
        }
        return read;
    }
};

TEST_F(InputThread, PressesAndKeysReadOncePerPressWhereTheyWentDown)
{
    const struct {
        const char *script;
        const char *read;
        const char *what;
    } cases[] = {
        {"L+100,50 L-300,200 |@ |@ R+10,20 R-10,20 | |", "1@100,50 0@300,200 2 0",
         "a press let go between two samples reads as one press where it went down; the right "
         "button the same, in its own bit"},
        {"L+100,50 | L~140,60 |@ L-140,60 |", "1 1@140,60 0",
         "a held button reads as held and follows the pointer"},
        {"L+100,50 L-100,50 L+100,50 L-100,50 | |", "1 0",
         "two presses between two samples read as one"},
        // Without the pass that reads up, a screen that acts on a press after a release would
        // lose the second press.
        {"L+100,50 | L-100,50 L+200,80 L-200,80 | |@ |", "1 0 1@200,80 0",
         "a new press after a held one reads up once first"},
        // The library sets mouse_b a moment before it calls back; a pass may come between.
        {"L^100,50 | L* L-100,50 | |", "1 0 0", "a press seen before its callback is not taken twice"},
        {"S+ S- | | S^ S+ | S+ S+ | S_ S- | |", "0s 0 0s 0s 0 0",
         "a key tap counts once; held with the key repeating, one long press, up once let go"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(play(c.script), c.read) << c.what << ": " << c.script;
}

TEST_F(InputThread, DiscardingForgetsPressesLetGoButKeepsWhatIsHeld)
{
    button(MOUSE_FLAG_LEFT_DOWN, 100, 50, 1);
    button(MOUSE_FLAG_LEFT_UP, 100, 50, 0);
    keyboard_lowlevel_callback(KEY_ESC);
    keyboard_lowlevel_callback(KEY_ESC | 0x80);
    input::key_down(KEY_S);
    keyboard_lowlevel_callback(KEY_S);
    InputState held = discard_pending_input();
    EXPECT_EQ(held.mouse_b, 0);
    EXPECT_FALSE(held.key(KEY_ESC));
    EXPECT_TRUE(held.key(KEY_S));
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_b, 0);
    EXPECT_FALSE(in.key(KEY_ESC));
    EXPECT_TRUE(in.key(KEY_S));
}

TEST_F(InputThread, WithNoCallbackTheSampleIsTheLibrarysState)
{
    input::pointer(30, 40, 4);
    input::key_down(KEY_P);
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_b, 4);
    EXPECT_EQ(in.mouse_x, 30);
    EXPECT_TRUE(in.key(KEY_P));
    input::reset();
    in = sample_input();
    EXPECT_EQ(in.mouse_b, 0);
    EXPECT_FALSE(in.key(KEY_P));
}

TEST(IdleSetting, SpinUnlessWaitIsAskedForAndABadValueIsNamed)
{
    std::string said;
    for (const char *spin : {static_cast<const char *>(nullptr), "", "spin"}) {
        EXPECT_EQ(idle_mode_named(spin, said), IdleMode::spin);
        EXPECT_EQ(said, "");
    }
    EXPECT_EQ(idle_mode_named("wait", said), IdleMode::wait);
    EXPECT_EQ(said, "");
    EXPECT_EQ(idle_mode_named("Wait", said), IdleMode::spin);
    EXPECT_EQ(said, "tilestack: TILESTACK_IDLE is \"Wait\", neither \"spin\" nor \"wait\"; "
                    "polling without pause (spin).");
}

}  // namespace
