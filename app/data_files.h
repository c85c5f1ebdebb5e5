// Checks on the game's data files before the library loads them. The library's loaders take
// a cut-short picture as a picture of garbage, and can crash on a datafile that ends early;
// these checks read the files the way the loaders will and say what is wrong first.
#pragma once

#include <cstddef>
#include <cstdint>

// Why the bytes cannot be loaded as a complete TGA picture, or nullptr when they can: the
// header must describe a kind of TGA the library reads, and every pixel must be there.
const char *tga_problem(const unsigned char *bytes, size_t size);

// Far beyond any picture file the game could use, so that a larger one is refused unread:
// the game draws no picture larger than its 640 x 480 frame, and a strip with a symbol for
// each of the 252 pairs of a full board is 6804 x 27. Allowed: 8192 x 1024 pixels of 4
// bytes, each in a run of its own (a byte more), after the 18-byte header, the longest name
// (255 bytes) and the largest colour map the game reads (256 entries of 4 bytes).
constexpr uint64_t most_picture_pixels = 8192ull * 1024;
constexpr uint64_t most_picture_bytes = 18 + 255 + 256 * 4 + most_picture_pixels * (4 + 1);

// The same for a file; a file that cannot be read, or larger than most_picture_bytes, says so.
const char *tga_file_problem(const char *path);

// Why the bytes (a datafile as stored, after any whole-file packing is undone) cannot be
// loaded as a datafile whose first object is a font, or nullptr when they can: every object
// must be complete, and the font's glyphs must all lie within its object.
const char *font_datafile_problem(const unsigned char *bytes, size_t size);

// The same for a file, packed or not; a file that cannot be read says so.
const char *font_datafile_file_problem(const char *path);
