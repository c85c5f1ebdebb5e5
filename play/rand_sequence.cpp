#include "play/rand_sequence.h"

RandSequence::RandSequence(unsigned seed)
{
    // A 128-byte state selects the same additive generator rand() uses; seeding it the same
    // way gives the same numbers.
    initstate_r(seed, state_, sizeof state_, &data_);
    srandom_r(seed, &data_);
}

int RandSequence::next()
{
    int32_t value = 0;
    random_r(&data_, &value);
    return value;
}
