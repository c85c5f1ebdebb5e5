#include "app/key_card.h"

#include <algorithm>
#include <utility>

#include "app/display_scale.h"
#include "app/resources.h"

namespace {

// The back buffer onto the screen in one copy, with the pointer hidden.
void show_buffer()
{
    scare_mouse();
    copy_to_screen(resources.buffer);
    unscare_mouse();
}

// Any key or button down in this sample.
bool anything_down(const InputState &in)
{
    if (in.mouse_b != 0)
        return true;
    for (bool down : in.keys)
        if (down)
            return true;
    return false;
}

}  // namespace

const std::vector<KeyRow<CardKey>> &card_key_rows()
{
    static const std::vector<KeyRow<CardKey>> rows = {
        {CardKey::toggle, KeyKind::press, {KEY_F2}, 0, 0, "F2: show or hide these keys"},
        {CardKey::close, KeyKind::press, {KEY_ESC}, 0, 0, ""},  // told by each screen's Escape
    };
    return rows;
}

KeyCard::KeyCard(std::vector<std::string> screen_lines, FONT *font)
    : lines_(std::move(screen_lines)), font_(font)
{
    for (const std::string &line : card_lines(card_key_rows()))
        lines_.push_back(line);
}

KeyCard::~KeyCard()
{
    if (saved_)
        destroy_bitmap(saved_);
}

bool KeyCard::pass(const InputState &in)
{
    const KeyPresses<CardKey> keys = keys_.read(in);
    const bool f2 = keys.has(CardKey::toggle);
    const bool escape = keys.has(CardKey::close);
    switch (stage_) {
    case Stage::hidden: {
        if (!f2 || in.close_requested)
            return false;
        BITMAP *buffer = resources.buffer;
        saved_ = create_bitmap(buffer->w, buffer->h);
        if (!saved_)
            return false;  // no memory for the copy: no card, the screen goes on
        blit(buffer, saved_, 0, 0, 0, 0, buffer->w, buffer->h);
        draw(buffer);
        show_buffer();
        stage_ = Stage::shown;
        return true;
    }
    case Stage::shown:
        if (in.close_requested) {
            close();
            stage_ = Stage::hidden;
            return false;
        }
        if (f2 || escape) {
            close();
            stage_ = Stage::releasing;
        }
        return true;
    case Stage::releasing:
        // The key that closed the card, or any other, must not act on the screen below.
        if (anything_down(in) && !in.close_requested)
            return true;
        stage_ = Stage::hidden;
        return true;
    }
    return false;
}

void KeyCard::close()
{
    BITMAP *buffer = resources.buffer;
    blit(saved_, buffer, 0, 0, 0, 0, buffer->w, buffer->h);
    destroy_bitmap(saved_);
    saved_ = nullptr;
    show_buffer();
}

void KeyCard::draw(BITMAP *target) const
{
    const int pad = 10;
    const int line = text_height(font_) + 4;
    int width = 0;
    for (const std::string &l : lines_)
        width = std::max(width, text_length(font_, l.c_str()));
    width += 2 * pad;
    const int height = static_cast<int>(lines_.size()) * line + 2 * pad - 4;
    const int x0 = (target->w - width) / 2, y0 = (target->h - height) / 2;
    rectfill(target, x0, y0, x0 + width - 1, y0 + height - 1, makecol(10, 14, 40));
    rect(target, x0, y0, x0 + width - 1, y0 + height - 1, makecol(255, 200, 0));
    rect(target, x0 + 2, y0 + 2, x0 + width - 3, y0 + height - 3, makecol(255, 200, 0));
    int y = y0 + pad;
    for (const std::string &l : lines_) {
        textout_ex(target, font_, l.c_str(), x0 + pad, y, makecol(240, 240, 230), -1);
        y += line;
    }
}
