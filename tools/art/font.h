// Text from a scalable font through FreeType: the glyph grid that the library's dat tool
// packs into the game's font, and glyph outlines as shapes for the title picture.
#pragma once

#include <string>

#include "art/canvas.h"

namespace art {

class TextRenderer {
public:
    // Opens the font file; `ok()` says whether that worked, `error()` why not.
    explicit TextRenderer(const std::string &font_path);
    ~TextRenderer();
    TextRenderer(const TextRenderer &) = delete;
    TextRenderer &operator=(const TextRenderer &) = delete;

    bool ok() const { return face_ != nullptr; }
    const std::string &error() const { return error_; }

    // The outlines of a line of text set at `pixel_size`, its baseline starting at (x, y).
    Shape text_shape(const std::string &text, double pixel_size, double x, double y);
    // How wide text_shape would set the text.
    double text_width(const std::string &text, double pixel_size);

    // Writes characters 32 to 126 as a one-colour glyph grid in the library's format: an
    // 8-bit picture where each glyph sits in its own box (background 0, ink 1) and colour
    // 255 separates the boxes. Glyphs are set at the largest size whose ascenders and
    // descenders fit in `line_height` rows. Returns false
    // with error() set when the picture cannot be written.
    bool write_glyph_grid(const std::string &path, int line_height);

private:
    void *library_ = nullptr;  // FT_Library
    void *face_ = nullptr;     // FT_Face
    std::string error_;
};

}  // namespace art
