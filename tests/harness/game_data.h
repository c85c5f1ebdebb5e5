// The game's pictures and font loaded into this process, for composing what the game's
// screen must show with the game's own drawing code.
#pragma once

#include <map>
#include <string>

#include <allegro.h>

class Screenshot;

// What time() returns in a game under test whose clock is pinned (the shim), so that its
// random seed, and so its deals, are known; and the environment that pins it.
constexpr long pinned_clock = 1700000000;
std::map<std::string, std::string> pinned_clock_environment();

struct Deal;
// Follows the next game of a game under test with its clock pinned (the random sequence
// seeded here with std::srand(pinned_clock) as it started): loads into `layout` the layout
// file of `folder` it picks and deals it as it does, with the symbols of the loaded strip.
bool follow_next_deal(const std::string &folder, Deal &dealt);

// Whether the screen shows the title screen: the title picture with two short words on it,
// so nearly every pixel as in the picture (sampled every `step`-th pixel each way).
bool shows_title_picture(const Screenshot &shot, BITMAP *title, int step = 4);
// The same with the title picture loaded into this process's resources.
bool is_title_screen(const Screenshot &shot);

// Loads the data files of `folder` into this process's `resources` at a colour depth, as the
// game loads them in a window of that depth, and releases them when it goes. Also sets the
// transparent text background the game sets at start-up.
class GameData {
public:
    explicit GameData(const std::string &folder, int depth = 16);
    ~GameData();
    GameData(const GameData &) = delete;
    GameData &operator=(const GameData &) = delete;

    // Every picture and the font loaded.
    bool loaded() const;
};
