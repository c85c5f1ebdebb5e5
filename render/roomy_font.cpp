#include "render/roomy_font.h"

#include <allegro/internal/aintern.h>

#include <cstdlib>
#include <cstring>

namespace {

// A glyph is a bitmap of one bit a pixel, each row padded to whole bytes.
FONT_GLYPH *padded_glyph(const FONT_GLYPH *g)
{
    const int stride = (g->w + 7) / 8;
    auto *copy = static_cast<FONT_GLYPH *>(
        std::calloc(1, sizeof(FONT_GLYPH) + static_cast<size_t>(stride) * (g->h + 2)));
    if (!copy)
        return nullptr;
    copy->w = g->w;
    copy->h = static_cast<short>(g->h + 2);
    std::memcpy(copy->dat + stride, g->dat, static_cast<size_t>(stride) * g->h);
    return copy;
}

}  // namespace

FONT *roomy_font(const FONT *f)
{
    if (!f || f->vtable != font_vtable_mono)
        return nullptr;
    auto *copy = static_cast<FONT *>(std::calloc(1, sizeof(FONT)));
    if (!copy)
        return nullptr;
    copy->height = f->height + 2;
    copy->vtable = font_vtable_mono;
    FONT_MONO_DATA *last = nullptr;
    for (auto *range = static_cast<const FONT_MONO_DATA *>(f->data); range; range = range->next) {
        const int n = range->end - range->begin;
        auto *r = static_cast<FONT_MONO_DATA *>(std::calloc(1, sizeof(FONT_MONO_DATA)));
        FONT_GLYPH **glyphs = static_cast<FONT_GLYPH **>(std::calloc(n > 0 ? n : 1, sizeof *glyphs));
        if (!r || !glyphs) {
            std::free(r);
            std::free(glyphs);
            destroy_font(copy);
            return nullptr;
        }
        // Linked in first, so that destroy_font frees whatever was made if memory runs out.
        r->begin = range->begin;
        r->end = range->end;
        r->glyphs = glyphs;
        if (last)
            last->next = r;
        else
            copy->data = r;
        last = r;
        for (int i = 0; i < n; i++)
            if (!(glyphs[i] = padded_glyph(range->glyphs[i]))) {
                destroy_font(copy);
                return nullptr;
            }
    }
    return copy;
}

RoomyFont::RoomyFont() : saved_(font), roomy_(roomy_font(font))
{
    if (roomy_)
        font = roomy_;
}

RoomyFont::~RoomyFont()
{
    font = saved_;
    if (roomy_)
        destroy_font(roomy_);
}
