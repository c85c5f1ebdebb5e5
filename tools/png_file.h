// PNG pictures written with zlib alone: the icons the data tool draws and the screenshots
// the real-window tests keep.
#pragma once

#include <string>
#include <vector>

// Writes an 8-bit PNG file of width x height pixels, rows from the top, each pixel `channels`
// bytes: 3 (red, green, blue) or 4 (the same and alpha, not premultiplied). False when the
// pixels do not fit that size or the file cannot be written.
bool write_png(const std::string &path, int width, int height, int channels,
               const std::vector<unsigned char> &pixels);
