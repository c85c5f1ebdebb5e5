#include "editor/editor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "app/resources.h"
#include "board/constants.h"
#include "board/editing.h"
#include "board/layout_check.h"
#include "play/game.h"
#include "render/legacy_text.h"

namespace {

constexpr int layer_keys[Layout::layers] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};

// Widest line a message box may hold, in pixels, with room for its border on a 640 screen.
constexpr int message_width = 560;

// Where the text lines below the status and help lines go, one under the other.
constexpr int first_extra_line_y = 45;
constexpr int line_spacing = 20;

double share(int part, int deals) { return deals > 0 ? 100.0 * part / deals : 0.0; }

bool same_cells(const Layout &a, const Layout &b)
{
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0;
}

}  // namespace

Editor::Editor()
    : select_file(file_select_ex),
      ask(alert_second_default),
      play(play_game),
      start_work([this](std::function<void()> work) { worker = std::thread(std::move(work)); }),
      origin(geometry::board_origin(SCREEN_W, SCREEN_H))
{
    clear_bitmap(resources.buffer);
    layout.clear();
    stored.clear();
    path[0] = '\0';
}

Editor::~Editor()
{
    if (job)
        job->cancel = true;
    if (worker.joinable())
        worker.join();
}

bool Editor::has_unsaved_changes() const { return !same_cells(layout, stored); }

void Editor::pass()
{
    const InputState in = sample_input();
    if (stage == Stage::working) {
        keep_working(in);
        return;
    }
    // The window's close button leaves as Escape does, from whatever the editor was doing.
    if (in.close_requested && stage != Stage::left) {
        leave_or_stay();
        return;
    }
    switch (stage) {
    case Stage::editing:
        edit(in);
        break;
    case Stage::releasing_p:
        if (!in.key(KEY_P))
            trial_play();
        break;
    case Stage::releasing_escape:
        if (!in.key(KEY_ESC))
            leave_or_stay();
        break;
    case Stage::working:
    case Stage::left:
        break;
    }
}

// One pass of editing: the frame if one is due, the stroke, then the keys. Escape and P act
// once they are let go, so that their press reaches nothing after them.
void Editor::edit(const InputState &in)
{
    if (escape_key.pressed(in.key(KEY_ESC))) {
        stage = Stage::releasing_escape;
        return;
    }
    if (needs_redraw)
        show_frame();
    handle_stroke(in);
    read_layer_keys(in);
    const HistoryStep step = history_keys.read(in);
    if (!(in.mouse_b & 1))
        step_history(step);  // not in the middle of a stroke
    if (save_key.pressed(in.key(KEY_S)))
        save_dialog();
    else if (load_key.pressed(in.key(KEY_L)))
        load_dialog();
    else if (play_key.pressed(in.key(KEY_P)))
        stage = Stage::releasing_p;
    else
        read_work_keys(in);
}

// M, R, G and I: one action a press.
void Editor::read_work_keys(const InputState &in)
{
    if (mirror_key.pressed(in.key(KEY_M))) {
        mirrored = !mirrored;
        needs_redraw = true;
    }
    const bool rate = rate_key.pressed(in.key(KEY_R));
    const bool generate = generate_key.pressed(in.key(KEY_G));
    const bool improve = improve_key.pressed(in.key(KEY_I));
    if (rate)
        begin_work(EditorJob::Kind::rate);
    else if (generate)
        begin_work(EditorJob::Kind::generate);
    else if (improve)
        begin_work(EditorJob::Kind::improve);
}

// ---------------------------------------------------------------------------------------------
// Drawing

// The layers up to the current one as blank faces, the placement frames of the current layer,
// the status and help lines; then the whole frame to the screen in one copy.
void Editor::show_frame()
{
    BITMAP *buffer = resources.buffer;
    blit(resources.background_image, buffer, 0, 0, 0, 0, resources.background_image->w,
         resources.background_image->h);
    draw_layers();
    needs_redraw = false;

    scare_mouse();
    LEGACY_TEXT(textprintf(buffer, font, 5, 5, own_colours(font), editor_status_format,
                           current_layer, layout.count));
    LEGACY_TEXT(textprintf(buffer, font, 5, 25, own_colours(font),
                           "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play"));
    int y = first_extra_line_y;
    if (mirrored) {
        LEGACY_TEXT(textprintf(buffer, font, 5, y, own_colours(font),
                               "Mirror on: strokes also act on column 11 - x (M: off)"));
        y += line_spacing;
    }
    progress_shown = job ? job->progress_line() : "";
    if (!progress_shown.empty()) {
        LEGACY_TEXT(textprintf(buffer, font, 5, y, own_colours(font), "%s",
                               progress_shown.c_str()));
    }
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
}

void Editor::draw_layers()
{
    BITMAP *buffer = resources.buffer;
    for (int z = 0; z <= current_layer; z++) {
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                geometry::Point p = geometry::cell_corner(origin, x, y, z);
                if (layout.get(x, y, z) != 0)
                    draw_sprite(buffer, resources.piece_image, p.x, p.y);
                if (z == current_layer && layout.is_supported(x, y, z)) {
                    // Both corners of rect are inclusive: the outer line reaches into the
                    // neighbours, which draw over it.
                    const int w = geometry::cell_width, h = geometry::cell_height;
                    rect(buffer, p.x, p.y, p.x + w, p.y + h, makecol(0, 128, 0));
                    rect(buffer, p.x + 1, p.y + 1, p.x + w - 1, p.y + h - 1, makecol(0, 128, 0));
                }
            }
        // Dim everything below the current layer: black on every even column and row leaves
        // a quarter of the pixels showing.
        if (z == current_layer - 1) {
            for (int x = 0; x < SCREEN_W; x += 2)
                vline(buffer, x, 0, SCREEN_H, 0);
            for (int y = 0; y < SCREEN_H; y += 2)
                hline(buffer, 0, y, SCREEN_W, 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse strokes

// A stroke places or removes according to the first cell of the grid it meets, and acts on a
// cell once each time the pointer enters it. Only the left button counts.
void Editor::handle_stroke(const InputState &in)
{
    if (!(in.mouse_b & 1)) {
        close_stroke();
        last_cell = {-1, -1};
        press_spent = false;
        return;
    }
    if (press_spent)
        return;
    if (!stroke_open) {
        stroke_before = layout;
        stroke_open = true;
    }

    const int z = current_layer;
    const geometry::Point cell = geometry::cell_under(origin, in.mouse_x, in.mouse_y, z);
    if (!geometry::inside_grid(cell))
        return;
    if (last_cell.x == -1 && last_cell.y == -1)
        stroke_value = layout.get(cell.x, cell.y, z) != 0 ? 0 : 1;
    if (cell.x == last_cell.x && cell.y == last_cell.y)
        return;

    last_cell = cell;
    if (stroke_cell(layout, cell.x, cell.y, z, stroke_value, mirrored))
        needs_redraw = true;
}

// A whole stroke, from press to release, is one step of the history.
void Editor::close_stroke()
{
    if (!stroke_open)
        return;
    stroke_open = false;
    history.record(stroke_before, layout);
}

void Editor::step_history(HistoryStep step)
{
    if (step == HistoryStep::undo && history.undo(layout))
        needs_redraw = true;
    else if (step == HistoryStep::redo && history.redo(layout))
        needs_redraw = true;
}

// ---------------------------------------------------------------------------------------------
// Keys

// The lowest layer key down chooses the layer.
void Editor::read_layer_keys(const InputState &in)
{
    for (int z = 0; z < Layout::layers; z++)
        if (in.key(layer_keys[z])) {
            needs_redraw = needs_redraw || z != current_layer;
            current_layer = z;
            return;
        }
}

// The file selector on the path buffer, which starts at the current folder every time. The
// folder is given with a trailing '/', so that a name typed after it lands in that folder
// under exactly that name; a name without an extension gets ".lyt", the case the game reads.
int Editor::choose_file(const char *title)
{
    if (getcwd(path, path_size - 1) == nullptr || std::strlen(path) + 2 > path_size)
        std::strcpy(path, ".");
    else if (path[std::strlen(path) - 1] != '/')
        std::strcat(path, "/");
    clear_keybuf();  // keys pressed in the editor must not be typed into the selector
    DialogInput dialog;
    return select_file(title, path, "lyt", path_size, 500, 350);
}

void Editor::save_dialog()
{
    int chosen = choose_file("Save layout");
    after_modal();
    if (chosen == 0)
        return;
    if (layout.save(path))
        stored = layout;
    else
        tell("Could not save the layout as", "(no file was changed)");
}

void Editor::load_dialog()
{
    int chosen = choose_file("Load layout");
    after_modal();
    if (chosen == 0)
        return;
    const Layout before = layout;
    if (layout.load(path)) {
        stored = layout;
        history.record(before, layout);  // a load is a step: undo brings the edit back
    } else
        tell("Could not load a layout from", "(missing, unreadable or shorter than 504 bytes)");
    needs_redraw = true;
}

// The library's message box: 1 for the first button, 2 for the second.
int Editor::message_box(const char *s1, const char *s2, const char *s3, const char *b1,
                        const char *b2, int c1, int c2)
{
    clear_keybuf();  // keys pressed in the editor must not answer the box
    DialogInput dialog;
    return ask(s1, s2, s3, b1, b2, c1, c2);
}

// A message box naming the file in the path buffer, closed with its one button.
void Editor::tell(const char *what, const char *why)
{
    std::string name = fit_path(path, message_width, font);
    message_box(what, name.c_str(), why, "OK", nullptr, 0, 0);
    after_modal();
}

// The whole layout is put aside and put back, so the game may deal and clear it freely.
void Editor::trial_play()
{
    Layout saved = layout;
    play();
    needs_redraw = true;
    layout = saved;
    after_modal();
}

void Editor::leave_or_stay()
{
    if (!has_unsaved_changes() ||
        confirm_discard("Leave the editor without saving them?", "&Leave", 'l')) {
        stage = Stage::left;
        return;
    }
    after_modal();
}

// Asks before unsaved changes are given up: true for the first button (`go`), false for
// "Stay", which Return, Space and Escape choose. After "Stay" the editor is redrawn; after
// `go` the caller goes on.
bool Editor::confirm_discard(const char *question, const char *go, int go_key)
{
    // A close request is answered by this question: the close button used while it is open
    // closes it as Stay does.
    forget_close_request();
    int answer = message_box("The layout has changes that are not saved.", question, nullptr,
                             go, "&Stay", go_key, 's');
    forget_close_request();
    needs_redraw = true;
    return answer == 1;
}

// A message box of up to three lines, closed with its one button.
void Editor::inform(const char *s1, const char *s2, const char *s3)
{
    message_box(s1, s2, s3, "OK", nullptr, 0, 0);
    needs_redraw = true;
    after_modal();
}

// ---------------------------------------------------------------------------------------------
// Rating, generating and improving, off the loop

void Editor::begin_work(EditorJob::Kind kind)
{
    if (kind == EditorJob::Kind::rate) {
        std::string problem = rating_problem(layout);
        if (!problem.empty()) {
            inform("This shape cannot be rated:", problem.c_str(), nullptr);
            return;
        }
    }
    if (kind == EditorJob::Kind::improve) {
        std::vector<std::string> problems = layout_problems(layout);
        if (!problems.empty()) {
            std::string first = fit_path(problems[0].c_str(), message_width, font);
            inform("This shape cannot be improved:", first.c_str(),
                   "(improving needs an even count, each piece resting on something)");
            return;
        }
    }
    if (kind == EditorJob::Kind::generate && has_unsaved_changes()) {
        const bool replace = confirm_discard("Replace it with a new shape?", "&Replace", 'r');
        after_modal();
        if (!replace)
            return;
    }
    close_stroke();
    job = std::make_unique<EditorJob>();
    job->kind = kind;
    job->shape = layout;  // the worker's own copy
    job->symbols = symbols_in_strip(resources.symbol_strip->w);
    if (kind == EditorJob::Kind::generate)
        job->seed = static_cast<unsigned>(shapes_generated + 1);
    leave_after_work = false;
    stage = Stage::working;
    needs_redraw = true;
    EditorJob *running = job.get();
    start_work([running] { running->run(); });
}

// While work runs: its progress line, Escape to cancel, the close button to cancel and then
// leave as it does otherwise.
void Editor::keep_working(const InputState &in)
{
    if (in.close_requested) {
        job->cancel = true;
        leave_after_work = true;
    }
    if (escape_key.pressed(in.key(KEY_ESC)))
        job->cancel = true;
    if (!job->finished.load(std::memory_order_acquire)) {
        if (needs_redraw || job->progress_line() != progress_shown)
            show_frame();
        return;
    }
    finish_work();
}

// The work is done: its result goes into the editor, unless it was cancelled.
void Editor::finish_work()
{
    if (worker.joinable())
        worker.join();
    std::unique_ptr<EditorJob> done = std::move(job);
    needs_redraw = true;
    after_modal();
    if (leave_after_work) {
        leave_or_stay();
        return;
    }
    if (done->cancel)
        return;
    switch (done->kind) {
    case EditorJob::Kind::rate:
        show_rating(done->rating);
        break;
    case EditorJob::Kind::generate:
        shapes_generated++;
        take_generated(done->result);
        break;
    case EditorJob::Kind::improve:
        take_improved(done->result);
        break;
    }
}

void Editor::show_rating(const Rating &r)
{
    char first[96], second[96], third[96];
    std::snprintf(first, sizeof first, "%i deals of this shape rated:", r.deals);
    std::snprintf(second, sizeof second, "%.1f %% can be cleared, %.1f %% are impossible, %.1f %% "
                  "undecided;", share(r.cleared, r.deals), share(r.stuck, r.deals),
                  share(r.unknown, r.deals));
    std::snprintf(third, sizeof third, "a player taking the first pair clears %.1f %%.",
                  share(r.first_pair, r.deals));
    inform(first, second, third);
}

// A made or mended shape replaces the layout as one step of the history; a search that fell
// short leaves the layout as it was and says so. True when the shape was taken.
bool Editor::take_shape(const SearchResult &r, const char *none_found)
{
    if (!r.reached) {
        char best[96];
        std::snprintf(best, sizeof best, "within the search (the best cleared %.1f %%);",
                      r.search_share);
        inform(none_found, best, "the layout is unchanged.");
        return false;
    }
    const Layout before = layout;
    layout = r.shape;
    history.record(before, layout);
    return true;
}

void Editor::take_generated(const SearchResult &r)
{
    take_shape(r, "No shape that clears 95 % of its deals was found");
}

void Editor::take_improved(const SearchResult &r)
{
    if (!take_shape(r, "No mend that clears 95 % of the deals was found"))
        return;
    char moved[96], shares[96], deals[96];
    std::snprintf(moved, sizeof moved, "Pieces moved: %i.", r.moved);
    std::snprintf(shares, sizeof shares, "Deals that can be cleared: %.1f %% before, %.1f %% after",
                  share(r.before.cleared, r.before.deals),
                  share(r.final_rating.cleared, r.final_rating.deals));
    std::snprintf(deals, sizeof deals, "(%i deals each).", r.final_rating.deals);
    inform(moved, shares, deals);
}

// A key or button pressed in a modal screen was pressed for that screen: it must not act
// again here. Presses already let go are forgotten; a key still held counts again only once
// let go, and a held button makes no stroke until it is released.
void Editor::after_modal()
{
    const InputState held = discard_pending_input();
    escape_key.hold(held.key(KEY_ESC));
    save_key.hold(held.key(KEY_S));
    load_key.hold(held.key(KEY_L));
    play_key.hold(held.key(KEY_P));
    mirror_key.hold(held.key(KEY_M));
    rate_key.hold(held.key(KEY_R));
    generate_key.hold(held.key(KEY_G));
    improve_key.hold(held.key(KEY_I));
    history_keys.hold(held);
    close_stroke();
    press_spent = (held.mouse_b & 1) != 0;
    last_cell = {-1, -1};
    stage = Stage::editing;
}

int alert_second_default(const char *s1, const char *s2, const char *s3, const char *b1,
                         const char *b2, int c1, int c2)
{
    if (b2 == nullptr)
        return alert(s1, s2, s3, b1, b2, c1, c2);
    // The library's alert always starts with its first button chosen, so this box is laid
    // out the same way (three centred lines over two buttons) with the focus on the second.
    const char *lines[3] = {s1 ? s1 : "", s2 ? s2 : "", s3 ? s3 : ""};
    const int th = text_height(font);
    int text_w = 0;
    for (const char *line : lines)
        text_w = std::max(text_w, gui_strlen(line));
    const int bw = std::max(64, std::max(gui_strlen(b1), gui_strlen(b2)) + 16);
    const int bh = th + 8;
    const int w = std::max(text_w + 32, 2 * bw + 48);
    const int h = 8 + 3 * th + 8 + bh + 8;
    const int first_button = 4, second_button = 5;
    DIALOG box[] = {
        {d_shadow_box_proc, 0, 0, w, h, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_ctext_proc, w / 2, 8, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[0]), nullptr,
         nullptr},
        {d_ctext_proc, w / 2, 8 + th, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[1]),
         nullptr, nullptr},
        {d_ctext_proc, w / 2, 8 + 2 * th, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[2]),
         nullptr, nullptr},
        {d_button_proc, w / 2 - 8 - bw, h - 8 - bh, bw, bh, 0, 0, c1, D_EXIT, 0, 0,
         const_cast<char *>(b1), nullptr, nullptr},
        {d_button_proc, w / 2 + 8, h - 8 - bh, bw, bh, 0, 0, c2, D_EXIT, 0, 0,
         const_cast<char *>(b2), nullptr, nullptr},
        {d_yield_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(box, gui_fg_color, gui_bg_color);
    centre_dialog(box);
    // Escape (and the close button) close the box with no button: the safe answer.
    return popup_dialog(box, second_button) == first_button ? 1 : 2;
}

std::string fit_path(const char *path, int max_width, const FONT *f)
{
    std::string whole = path;
    if (text_length(f, whole.c_str()) <= max_width)
        return whole;
    for (size_t cut = 1; cut < whole.size(); cut++) {
        std::string tail = "..." + whole.substr(cut);
        if (text_length(f, tail.c_str()) <= max_width)
            return tail;
    }
    return "...";
}

void edit_layouts()
{
    Editor editor;
    while (!editor.has_left())
        editor.pass();
}
