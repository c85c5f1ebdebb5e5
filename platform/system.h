// The process's surroundings as the game and its tools ask about them: the current folder,
// whether messages go to a terminal, and standard output set aside for a while.
#pragma once

#include <string>

// The folder the program runs in, as a full path; "" when the system cannot tell.
std::string current_folder();

// Whether standard error is a terminal (where a progress line may redraw itself).
bool stderr_is_terminal();

// Ends the program quietly after standard output's reader went away (`| head`), as other
// programs end there: by the broken pipe's signal where the system has one.
[[noreturn]] void end_after_broken_pipe();

// Sets the game's process up as the system's players expect, before the library starts. On
// Linux the launcher does this, and nothing changes here. On Windows: the calm, fitted window
// (TILESTACK_IDLE=wait, TILESTACK_SCALE=auto) unless the variables say otherwise; the
// player's own folder %APPDATA%\tilestack, made on the first start with the program's data
// files and copies of its layouts (a layout already there is never overwritten), becomes the
// folder the game runs in; and what the game says on standard error goes to tilestack.log
// there, which a message names when the game ends having said something.
void prepare_game_process();

// While it lives, what is written to standard output goes nowhere; it comes back as it was
// when this ends. For a library call that would also print there what is said elsewhere.
// Where nothing can be set aside, standard output stays as it is.
class StandardOutputSetAside {
public:
    StandardOutputSetAside();
    ~StandardOutputSetAside();
    StandardOutputSetAside(const StandardOutputSetAside &) = delete;
    StandardOutputSetAside &operator=(const StandardOutputSetAside &) = delete;

private:
    int kept_;     // the system's handle on standard output as it was
    int nowhere_;  // the system's handle on where it goes meanwhile
};
