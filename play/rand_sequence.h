// The C library's rand() sequence with a state of its own, so that deals can be made on many
// threads at once without touching (or racing on) the process's random state.
#pragma once

#include <stdlib.h>

// Gives exactly the numbers rand() gives after srand(seed), in the same order.
class RandSequence {
public:
    explicit RandSequence(unsigned seed);
    RandSequence(const RandSequence &) = delete;  // the library's state points into state_
    RandSequence &operator=(const RandSequence &) = delete;

    int next();

private:
    char state_[128] = {};  // the size of the state srand() and rand() use
    random_data data_{};
};
