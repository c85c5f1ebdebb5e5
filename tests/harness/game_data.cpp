#include "harness/game_data.h"

#include <cstdlib>

#include "app/resources.h"
#include "board/constants.h"
#include "board/layout.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/legacy_text.h"

GameData::GameData(const std::string &folder, int depth)
{
    set_color_depth(depth);
    set_color_conversion(COLORCONV_TOTAL);
    auto load = [&](const char *name) {
        return load_bitmap((folder + "/" + name).c_str(), nullptr);
    };
    resources.piece_image = load("empty.tga");
    resources.background_image = load("bg.tga");
    resources.symbol_strip = load("geek.tga");
    resources.title_image = load("title.tga");
    resources.font_file = load_datafile((folder + "/font.dat").c_str());
    resources.game_font =
        resources.font_file ? static_cast<FONT *>(resources.font_file[0].dat) : nullptr;
    LEGACY_TEXT(text_mode(-1));
}

GameData::~GameData()
{
    resources.free_resources();
    resources.piece_image = resources.background_image = nullptr;
    resources.symbol_strip = resources.title_image = nullptr;
    if (resources.font_file)
        unload_datafile(resources.font_file);
    resources.font_file = nullptr;
    resources.game_font = nullptr;
}

bool GameData::loaded() const
{
    return resources.piece_image && resources.background_image && resources.symbol_strip &&
           resources.title_image && resources.game_font;
}

std::map<std::string, std::string> pinned_clock_environment()
{
    return {{"TILESTACK_SHIM_TIME", std::to_string(pinned_clock)}};
}

bool follow_next_deal(const std::string &folder, Deal &dealt)
{
    const std::string name = folder + "/" + std::to_string(std::rand() % 3) + ".lyt";
    return layout.load(name.c_str()) &&
           deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt);
}

bool shows_title_picture(const Screenshot &shot, BITMAP *title, int step)
{
    return shot.share_like(title, step) > 0.97;
}

bool is_title_screen(const Screenshot &shot)
{
    return shows_title_picture(shot, resources.title_image, 2);
}
