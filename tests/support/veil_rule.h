// The veil's rule written out as plainly as it can be, field by field, for the unit tests and
// the fuzz target to hold every form of the blend against. Header only: the fuzz target is
// built apart from the test support library.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace veil_rule {

// One colour field of a pixel: where it sits and its largest value.
struct Field {
    int shift, max;
};

// The red, green and blue fields of a 15-, 16- or 32-bit pixel (24 and 32 bits share theirs).
inline std::array<Field, 3> fields_of(int depth)
{
    if (depth == 15)
        return {{{10, 31}, {5, 31}, {0, 31}}};
    if (depth == 16)
        return {{{11, 31}, {5, 63}, {0, 31}}};
    return {{{16, 255}, {8, 255}, {0, 255}}};
}

// What one pixel becomes under a veil of the given colour and factor: factors above 255 count
// as 255 and those of 0 or less change nothing; the factor becomes f of M steps (M = 256 at
// 32 bits, f = factor + 1; M = 32 below, f rounded up from factor / 8); f = M is the colour
// itself; otherwise each field becomes floor(old * (M - f) / M) + floor(colour * f / M), and
// bits outside the fields come out 0.
inline std::uint32_t veiled(std::uint32_t old, std::uint32_t colour, int depth, int factor)
{
    factor = std::min(factor, 255);
    if (factor <= 0)
        return old;
    const int modulus = depth == 32 ? 256 : 32;
    const int f = depth == 32 ? factor + 1 : (factor + 7) / 8;
    if (f == modulus)
        return depth == 32 ? colour : colour & 0xFFFF;
    std::uint32_t out = 0;
    for (Field field : fields_of(depth)) {
        const int o = (old >> field.shift) & field.max;
        const int c = (colour >> field.shift) & field.max;
        out |= static_cast<std::uint32_t>(o * (modulus - f) / modulus + c * f / modulus)
               << field.shift;
    }
    return out;
}

}  // namespace veil_rule
