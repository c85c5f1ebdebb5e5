// The process's surroundings as the game and its tools ask about them: the current folder,
// whether messages go to a terminal, and standard output set aside for a while.
#pragma once

#include <string>

// The folder the program runs in, as a full path; "" when the system cannot tell.
std::string current_folder();

// Whether standard error is a terminal (where a progress line may redraw itself).
bool stderr_is_terminal();

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
