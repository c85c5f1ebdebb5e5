// The input module fed through the library's own callbacks, as its input thread calls them,
// and sampled as the screens sample it once per pass.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "app/idle.h"
#include "app/input.h"
#include "support/headless.h"

namespace {

// Its suite's name puts it in the thread build too (tests/CMakeLists.txt).
class InputThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        install_input();
        input::reset();
        discard_pending_input();
    }
    void TearDown() override
    {
        // Leave every button and key up for the tests that follow.
        mouse_callback(MOUSE_FLAG_LEFT_UP | MOUSE_FLAG_RIGHT_UP);
        keyboard_lowlevel_callback(KEY_S | 0x80);
        input::reset();
        discard_pending_input();
    }

    // What the library's thread does for a press or a release at (x, y).
    static void button(int flag, int x, int y, int held_buttons)
    {
        input::pointer(x, y, held_buttons);
        mouse_callback(flag | MOUSE_FLAG_MOVE);
    }
};

TEST_F(InputThread, APressLetGoBetweenTwoSamplesReadsAsOnePressWhereItWentDown)
{
    button(MOUSE_FLAG_LEFT_DOWN, 100, 50, 1);
    button(MOUSE_FLAG_LEFT_UP, 300, 200, 0);
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_b, 1);
    EXPECT_EQ(in.mouse_x, 100);
    EXPECT_EQ(in.mouse_y, 50);
    in = sample_input();
    EXPECT_EQ(in.mouse_b, 0);
    EXPECT_EQ(in.mouse_x, 300);

    // The right button the same, in its own bit.
    button(MOUSE_FLAG_RIGHT_DOWN, 10, 20, 2);
    button(MOUSE_FLAG_RIGHT_UP, 10, 20, 0);
    EXPECT_EQ(sample_input().mouse_b, 2);
    EXPECT_EQ(sample_input().mouse_b, 0);
}

TEST_F(InputThread, AHeldButtonReadsAsHeldAndFollowsThePointer)
{
    button(MOUSE_FLAG_LEFT_DOWN, 100, 50, 1);
    EXPECT_EQ(sample_input().mouse_b, 1);
    button(0, 140, 60, 1);
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_b, 1);
    EXPECT_EQ(in.mouse_x, 140);
    button(MOUSE_FLAG_LEFT_UP, 140, 60, 0);
    EXPECT_EQ(sample_input().mouse_b, 0);
}

TEST_F(InputThread, TwoPressesBetweenTwoSamplesReadAsOne)
{
    for (int i = 0; i < 2; i++) {
        button(MOUSE_FLAG_LEFT_DOWN, 100, 50, 1);
        button(MOUSE_FLAG_LEFT_UP, 100, 50, 0);
    }
    EXPECT_EQ(sample_input().mouse_b, 1);
    EXPECT_EQ(sample_input().mouse_b, 0);
}

TEST_F(InputThread, ANewPressAfterAHeldOneReadsUpOnceFirst)
{
    // Held, then let go and pressed again between two samples: without the pass that reads
    // up, a screen that acts on a press after a release would lose the second press.
    button(MOUSE_FLAG_LEFT_DOWN, 100, 50, 1);
    EXPECT_EQ(sample_input().mouse_b, 1);
    button(MOUSE_FLAG_LEFT_UP, 100, 50, 0);
    button(MOUSE_FLAG_LEFT_DOWN, 200, 80, 1);
    button(MOUSE_FLAG_LEFT_UP, 200, 80, 0);
    EXPECT_EQ(sample_input().mouse_b, 0);
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_b, 1);
    EXPECT_EQ(in.mouse_x, 200);
    EXPECT_EQ(sample_input().mouse_b, 0);
}

TEST_F(InputThread, APressSeenBeforeItsCallbackIsNotTakenTwice)
{
    // The library sets mouse_b a moment before it calls back; a pass may come between.
    input::pointer(100, 50, 1);
    EXPECT_EQ(sample_input().mouse_b, 1);
    mouse_callback(MOUSE_FLAG_LEFT_DOWN);
    button(MOUSE_FLAG_LEFT_UP, 100, 50, 0);
    EXPECT_EQ(sample_input().mouse_b, 0);
    EXPECT_EQ(sample_input().mouse_b, 0);
}

TEST_F(InputThread, AKeyTapCountsOnceAndKeyRepeatIsNoNewPress)
{
    keyboard_lowlevel_callback(KEY_S);
    keyboard_lowlevel_callback(KEY_S | 0x80);
    EXPECT_TRUE(sample_input().key(KEY_S));
    EXPECT_FALSE(sample_input().key(KEY_S));

    // Held with the key repeating: one long press, up once let go.
    input::key_down(KEY_S);
    keyboard_lowlevel_callback(KEY_S);
    EXPECT_TRUE(sample_input().key(KEY_S));
    keyboard_lowlevel_callback(KEY_S);
    keyboard_lowlevel_callback(KEY_S);
    EXPECT_TRUE(sample_input().key(KEY_S));
    input::key_up(KEY_S);
    keyboard_lowlevel_callback(KEY_S | 0x80);
    EXPECT_FALSE(sample_input().key(KEY_S));
    EXPECT_FALSE(sample_input().key(KEY_S));
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
