// The game's pictures and font loaded into this process, for composing what the game's
// screen must show with the game's own drawing code.
#pragma once

#include <string>

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
