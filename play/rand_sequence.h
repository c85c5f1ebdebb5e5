// The C library's rand() sequence with a state of its own, so that deals can be made on many
// threads at once without touching (or racing on) the process's random state.
#pragma once

#include <cstdint>

// Gives exactly the numbers glibc's rand() gives after srand(seed), in the same order, on any
// system: the additive generator glibc's rand() uses, written out here, so that a seed deals
// the same board wherever the program runs.
class RandSequence {
public:
    explicit RandSequence(unsigned seed);

    int next();

private:
    static constexpr int degree = 31;     // the words of the generator's state
    static constexpr int separation = 3;  // how far ahead the front word runs
    std::int32_t table_[degree] = {};
    int front_ = separation;
    int rear_ = 0;
};
