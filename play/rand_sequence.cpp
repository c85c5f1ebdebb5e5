#include "play/rand_sequence.h"

RandSequence::RandSequence(unsigned seed)
{
    // Seeded as glibc seeds its 128-byte state: a zero seed counts as 1, the other words
    // follow by Park and Miller's multiplicative step (computed without overflow), and the
    // first 310 numbers are thrown away.
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1 : seed);
    table_[0] = word;
    for (int i = 1; i < degree; i++) {
        const long long hi = word / 127773;
        const long long lo = word % 127773;
        long long next = 16807 * lo - 2836 * hi;
        if (next < 0)
            next += 2147483647;
        word = static_cast<std::int32_t>(next);
        table_[i] = word;
    }
    for (int i = 0; i < 10 * degree; i++)
        next();
}

int RandSequence::next()
{
    // Each number adds the rear word to the front one (modulo 2^32) and gives its top 31 bits.
    const std::uint32_t sum = static_cast<std::uint32_t>(table_[front_]) +
                              static_cast<std::uint32_t>(table_[rear_]);
    table_[front_] = static_cast<std::int32_t>(sum);
    front_ = (front_ + 1) % degree;
    rear_ = (rear_ + 1) % degree;
    return static_cast<int>(sum >> 1);
}
