// The screens' key tables: a key with its modifiers read once a press, and the modifiers taken
// as they were when the key went down, however the press and the modifier's own press and
// release fall between the samples.
#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>

#include "app/input.h"
#include "app/key_table.h"
#include "play/game.h"
#include "support/headless.h"

namespace {

// What one read of the game's table gave of its history keys.
std::string steps(const KeyPresses<GameKey> &p)
{
    const bool undo = p.has(GameKey::undo), redo = p.has(GameKey::redo);
    return undo && redo ? "both" : undo ? "undo" : redo ? "redo" : "none";
}

TEST(KeyTable, HistoryKeysStepOncePerPressAndLettersOnlyWithControl)
{
    KeyTable<GameKey> keys(game_key_rows());
    InputState in;
    auto step = [&](std::initializer_list<int> down) {
        in = InputState();
        for (int k : down)
            in.keys[k] = true;
        return steps(keys.read(in));
    };
    EXPECT_EQ(step({KEY_Z}), "none");  // a plain Z is no undo
    EXPECT_EQ(step({}), "none");
    EXPECT_EQ(step({KEY_LCONTROL, KEY_Z}), "undo");
    EXPECT_EQ(step({KEY_LCONTROL, KEY_Z}), "none");  // held: no repeat
    EXPECT_EQ(step({KEY_LCONTROL}), "none");
    EXPECT_EQ(step({KEY_LCONTROL, KEY_LSHIFT, KEY_Z}), "redo");
    EXPECT_EQ(step({KEY_RCONTROL, KEY_Y}), "redo");
    EXPECT_EQ(step({}), "none");
    EXPECT_EQ(step({KEY_BACKSPACE}), "undo");
    EXPECT_EQ(step({KEY_BACKSPACE}), "none");
    EXPECT_EQ(step({}), "none");
    // Control pressed after the letter, while the letter is held: no step.
    EXPECT_EQ(step({KEY_Z}), "none");
    EXPECT_EQ(step({KEY_Z, KEY_LCONTROL}), "none");

    // A key held from a modal screen counts only once let go.
    in = InputState();
    in.keys[KEY_BACKSPACE] = true;
    keys.hold(in);
    EXPECT_EQ(steps(keys.read(in)), "none");
    EXPECT_EQ(step({}), "none");
    EXPECT_EQ(step({KEY_BACKSPACE}), "undo");

    // The keys that end a game act on every pass they are down, held or not.
    in = InputState();
    in.keys[KEY_ESC] = in.keys[KEY_F1] = true;
    keys.hold(in);
    for (int pass = 0; pass < 2; pass++) {
        const KeyPresses<GameKey> p = keys.read(in);
        EXPECT_TRUE(p.has(GameKey::leave) && p.has(GameKey::end)) << "pass " << pass;
    }
}

// The recorder fed through the library's keyboard callback, as its input thread calls it
// (with the library's own key[] set just before), sampled as a screen samples once a pass.
class KeyModifiers : public RecordedInput {
protected:
    // Plays a script and reads the game's table on every sample: "C+" Control down, "C-" up,
    // "S" the same for Shift, "Z" for the letter; "Z^" the library shows Z down before its
    // callback has run; "|" a sample. Two more samples follow the script. Gives the steps
    // read, one per sample that read any.
    static std::string play(const char *script)
    {
        KeyTable<GameKey> keys(game_key_rows());
        std::string read;
        auto sample = [&] {
            const std::string s = steps(keys.read(sample_input()));
            if (s != "none")
                read += (read.empty() ? "" : " ") + s;
        };
        std::istringstream tokens(script);
        std::string t;
        while (tokens >> t) {
            if (t == "|") {
                sample();
                continue;
            }
            const int k = t[0] == 'C' ? KEY_LCONTROL : t[0] == 'S' ? KEY_LSHIFT : KEY_Z;
            if (t[1] == '^') {
                input::key_down(k);
            } else if (t[1] == '+') {
                input::key_down(k);
                keyboard_lowlevel_callback(k);
            } else {
                input::key_up(k);
                keyboard_lowlevel_callback(k | 0x80);
            }
        }
        sample();
        sample();
        return read;
    }
};

TEST_F(KeyModifiers, AKeyCountsWithTheModifiersHeldAsItWentDown)
{
    const struct {
        const char *script;
        const char *read;
        const char *what;
    } cases[] = {
        {"C+ Z+ Z- C- |", "undo", "the whole tap within one sample"},
        {"C+ | Z+ Z- C- |", "undo", "Control in a sample before, let go with the letter's tap"},
        {"C+ | Z+ | Z- C- |", "undo", "each in a sample of its own"},
        {"C+ Z+ C- Z- |", "undo", "Control let go before the letter, one sample"},
        {"C+ | Z+ C- | Z- |", "undo", "Control let go before the letter, across samples"},
        {"C+ Z^ | Z+ Z- C- |", "undo", "the letter sampled before its callback: still once"},
        {"C+ S+ Z+ Z- S- C- |", "redo", "Shift recorded with the press as well"},
        {"C+ | S+ Z+ S- | Z- C- |", "redo", "Shift let go before the sample"},
        {"Z+ C+ Z- C- |", "", "Control after the letter, one sample"},
        {"Z+ | C+ | Z- C- |", "", "Control after the letter, across samples"},
        {"C+ C- Z+ Z- |", "", "Control let go before the letter went down"},
        {"Z+ Z- |", "", "the letter alone"},
        {"C+ Z+ Z- Z+ Z- C- | Z+ Z- |", "undo", "two taps in one sample read as one; a plain Z"},
        {"C+ Z+ Z- | Z+ Z- C- |", "undo undo", "two taps, each in its own sample"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(play(c.script), c.read) << c.what << ": " << c.script;
}

TEST_F(KeyModifiers, AScancodeBeyondTheKeysIsIgnored)
{
    // The callback's scancode has seven bits; the library's keys stop one short of 127.
    keyboard_lowlevel_callback(0x7F);
    keyboard_lowlevel_callback(0x7F | 0x80);
    const InputState in = sample_input();
    for (int k = 0; k < KEY_MAX; k++)
        EXPECT_FALSE(in.key(k)) << k;
}

}  // namespace
