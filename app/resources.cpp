#include "app/resources.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/data_files.h"
#include "app/display_scale.h"
#include "app/idle.h"
#include "app/input.h"
#include "board/constants.h"
#include "board/layout.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/window.h"
#include "play/background_job.h"
#include "render/legacy_text.h"

GameResources resources;  // everything loaded at start-up, for the whole run

namespace {
bool library_up = false;  // allegro_init succeeded, so allegro_message is safe to call
}

GameResources::GameResources()
{
    buffer = nullptr;
    piece_image = nullptr;
    title_image = nullptr;
    background_image = nullptr;
    symbol_strip = nullptr;
}

void GameResources::free_resources()
{
    BITMAP *bitmaps[] = {buffer, piece_image, title_image, background_image, symbol_strip};
    for (BITMAP *b : bitmaps)
        if (b)
            destroy_bitmap(b);
    release_enlarged_pointer();
}

int open_first_depth(int card, ModeSetter open_mode, int width, int height)
{
    for (int depth : display_depths) {
        set_color_depth(depth);
        if (open_mode(card, width, height, 0, 0) >= 0)
            return TRUE;
    }
    return 0;
}

int open_largest_scale(int card, int factor, ModeSetter open_mode)
{
    for (int f = factor; f >= 1; f--)
        if (open_first_depth(card, open_mode, frame_width * f, frame_height * f))
            return f;
    return 0;
}

int set_display_mode(int card, int factor)
{
    const int opened = open_largest_scale(card, factor, set_gfx_mode);
    if (opened != 0 && opened < factor)
        std::fprintf(stderr, "tilestack: no window %d times the size could be opened; it is "
                     "%d times the size instead.\n", factor, opened);
    set_display_scale(opened != 0 ? opened : 1);
    return opened != 0 ? TRUE : 0;
}

void fatal_error(const char *format, ...)
{
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);

    // On standard error first, where a terminal or a log shows it (and at once, while a
    // dialog below may wait for its OK button).
    std::fprintf(stderr, "%s\n", message);
    if (library_up) {
        // Back to the desktop first, so the message is not hidden behind the game window.
        set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
        // The library shows the message in a dialog where it has a program for one, and
        // otherwise writes it to standard output: that copy would say the same twice, so
        // standard output is set aside while the library has the message.
        StandardOutputSetAside aside;
        allegro_message("%s\n", message);
    }
    // Work off the loop ends first: exit runs the static destructors, never under a thread.
    BackgroundJob::stop_every_job();
    resources.free_resources();
    // The references above are dangling now; nothing may draw after this point.
    std::exit(1);
}

namespace {

// The library would take a cut-short picture as a picture of garbage, so the file is checked
// whole first.
BITMAP *load_image(const char *name)
{
    if (const char *why = tga_file_problem(name))
        fatal_error("tilestack: cannot load the picture %s: %s.", name, why);
    BITMAP *image = load_bitmap(name, nullptr);
    if (!image)
        fatal_error("tilestack: cannot load the picture %s (not a TGA image the library reads, "
                    "or out of memory).", name);
    return image;
}

// The library's loader can crash on a datafile that ends early: it is checked whole first.
void load_font(const char *path)
{
    if (const char *why = font_datafile_file_problem(path))
        fatal_error("tilestack: cannot load the font file %s: %s.", path, why);
    resources.font_file = load_datafile(path);
    if (!resources.font_file)
        fatal_error("tilestack: cannot load the font file %s (out of memory?).", path);
    if (resources.font_file[0].type != DAT_FONT)
        fatal_error("tilestack: %s does not start with a font.", path);
    resources.game_font = static_cast<FONT *>(resources.font_file[0].dat);
    // The screens lay out their lines by the font's height, and the title menu divides by it.
    if (text_height(resources.game_font) < 1)
        fatal_error("tilestack: the font in %s is %d pixels high; it needs at least 1.", path,
                    text_height(resources.game_font));
}

// The library's dialogs (the editor's file selector and message boxes) draw black on white
// with grey for what is greyed out. Its default grey is a palette index, nearly black at the
// depths the game runs at: the colours are made for the depth the display opened in.
void set_dialog_colours()
{
    gui_fg_color = makecol(0, 0, 0);
    gui_mg_color = makecol(160, 160, 160);
    gui_bg_color = makecol(255, 255, 255);
}

}  // namespace

void init_game()
{
    // The library makes its window in allegro_init: named from then on, so that the desktop
    // matches it to the game's menu entry and icon.
    set_window_name("tilestack", "tilestack");
    read_idle_setting();
    set_job_end_hook(wake_resting_loop);  // a loop resting between events sees work end at once
    if (allegro_init() != 0)
        fatal_error("Sorry! tilestack needs a graphical display (is DISPLAY set?).");
    library_up = true;
    install_keyboard();
    install_mouse();
    install_input();
    if (!set_display_mode(GFX_AUTODETECT_WINDOWED, asked_scale()))
        fatal_error("Sorry!");

    // The frames stay 640 x 480 whatever the window's size; the copy to the screen enlarges.
    resources.buffer = create_bitmap(frame_width, frame_height);
    if (!resources.buffer)
        fatal_error("tilestack: out of memory for the back buffer.");
    load_data_files();
    set_dialog_colours();
    enlarge_pointer();
    show_mouse(screen);
}

void load_data_files(const std::string &folder)
{
    const auto in_folder = [&](const char *name) {
        return folder.empty() ? std::string(name) : folder + "/" + name;
    };
    resources.piece_image = load_image(in_folder("empty.tga").c_str());
    resources.background_image = load_image(in_folder("bg.tga").c_str());
    resources.symbol_strip = load_image(in_folder("geek.tga").c_str());
    if (symbols_in_strip(resources.symbol_strip->w) < 1)
        fatal_error("tilestack: geek.tga is %d pixels wide; it needs at least one %d x %d "
                    "symbol.", resources.symbol_strip->w, symbol_size, symbol_size);
    resources.title_image = load_image(in_folder("title.tga").c_str());
    load_font(in_folder("font.dat").c_str());
    LEGACY_TEXT(text_mode(-1));  // all text from now on is drawn with no background box
}

void check_layout_files()
{
    for (int n = 0; n < layout_file_count; n++) {
        char name[16];
        std::snprintf(name, sizeof name, layout_file_format, n);
        const FileFacts facts = file_facts(name);
        if (!facts.exists)
            fatal_error("tilestack: the layout file %s is missing.", name);
        if (!facts.regular)
            fatal_error("tilestack: the layout file %s is not a file (a folder?).", name);
        if (facts.size < Layout::cell_count)
            fatal_error("tilestack: the layout file %s is cut short: %lld bytes, where a layout "
                        "has %d.", name, facts.size, Layout::cell_count);
    }
}
