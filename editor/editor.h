// The layout editor: build board shapes layer by layer, save, load and try them.
#pragma once

#include <allegro.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/input.h"
#include "app/key_card.h"
#include "app/key_table.h"
#include "board/edit_history.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "editor/editor_work.h"

// The status line, in the library's font: the layer being edited and the count of pieces.
constexpr const char *editor_status_format = "z: %8i   count: %4i";

// What the keys of the editor do.
enum class EditorKey {
    stroke,  // the mouse: places or removes pieces
    layer_0, layer_1, layer_2, layer_3, layer_4, layer_5,  // the layer to edit, while held
    save,
    load,
    play,    // a trial game, once let go
    undo,
    redo,
    mirror,  // mirrored strokes on or off
    rate,
    generate,
    improve,
    leave,   // leaves (or asks) once let go; while work runs, cancels it
};
const std::vector<KeyRow<EditorKey>> &editor_key_rows();

// The editor's state, stepped one pass at a time by edit_layouts. Works on the global layout.
//
// The modal screens it opens (the file selector, the question box and trial play) are
// reached through the hooks below, which default to the library's file_select_ex and alert
// and to play_game; tests replace them with scripts. So is the start of long work (rating,
// generating, improving), which by default runs on a worker thread; tests run it by hand.
struct Editor {
    enum class Stage {
        editing,           // passes draw, handle strokes and read the keys
        releasing_p,       // P was pressed; trial play starts once it is up
        releasing_escape,  // Escape was pressed; leaving (or asking) once it is up
        working,           // long work runs off the loop; only Escape and close are read
        left,              // the editor is done
    };

    using FileSelector = std::function<int(const char *title, char *path, const char *ext,
                                           int size, int w, int h)>;
    using Question = std::function<int(const char *s1, const char *s2, const char *s3,
                                       const char *b1, const char *b2, int c1, int c2)>;
    using TrialGame = std::function<int()>;

    static constexpr int path_size = 1024;

    FileSelector select_file;  // file_select_ex
    Question ask;              // alert: 1 for the first button, 2 for the second
    TrialGame play;            // play_game
    BackgroundJob::Runner start_work;  // runs the work on the worker's thread unless set

    geometry::Point origin;                  // where the corner of cell (0, 0, 0) lies
    int current_layer = 0;                   // the layer being edited, shown on top
    bool needs_redraw = true;                // compose and show a frame on the next pass
    int stroke_value = 0;                    // what the current stroke writes: 1 place, 0 remove
    geometry::Point last_cell = {-1, -1};    // the cell the stroke last entered, or (-1, -1)
    bool press_spent = false;                // the button held now was pressed in a modal screen
    KeyTable<EditorKey> keys{editor_key_rows()};  // one dialog, step or job a press
    bool mirrored = false;                   // strokes act on column 11 - x as well
    EditHistory history;                     // the steps to take back and do again
    Layout stroke_before{};                  // the layout when the current stroke began
    bool stroke_open = false;                // a stroke has begun and not yet been recorded
    int shapes_generated = 0;                // searches G ran to their end: seeds the next
    std::shared_ptr<EditorJob> job;          // the long work running, if any
    BackgroundJob worker;                    // runs it off the loop; stops it with the editor
    bool leave_after_work = false;           // the close button was used while it ran
    std::string progress_shown;              // the progress line of the last frame
    char path[path_size];                    // the name handed to and filled in by the selector
    Layout stored;                           // as last saved or loaded (empty on entry)
    std::string file_name;                   // of the file last saved or loaded, no folder
    KeyCard card;                            // F2: every key of the editor
    bool frame_shown = false;                // a frame of the editor is on the screen
    Stage stage = Stage::editing;

    // Entry: clears the back buffer and the layout.
    Editor();
    Editor(const Editor &) = delete;
    Editor &operator=(const Editor &) = delete;

    // One pass of the editor's loop.
    void pass();

    bool has_left() const { return stage == Stage::left; }
    // The layout differs from the one last saved or loaded, or from the empty one on entry.
    bool has_unsaved_changes() const;

private:
    // Widest line a message box may hold, in pixels, with room for its border on a 640 screen.
    static constexpr int message_width = 560;

    // The screen (editor.cpp): a pass of editing, the frame, the strokes and their history.
    void edit(const InputState &in);
    void show_frame();
    void draw_layers();
    void handle_stroke(const InputState &in);
    void close_stroke();
    void step_history(const KeyPresses<EditorKey> &pressed);
    void show_title();
    // The keys (editor_keys.cpp).
    void read_layer_keys(const KeyPresses<EditorKey> &pressed);
    void read_work_keys(const KeyPresses<EditorKey> &pressed);
    void after_modal();
    // The modal screens (editor_dialogs.cpp).
    int choose_file(const char *title);
    void save_dialog();
    void load_dialog();
    void trial_play();
    void leave_or_stay();
    int message_box(const char *s1, const char *s2, const char *s3, const char *b1,
                    const char *b2, int c1, int c2);
    void tell(const char *what, const char *why);
    void inform(const char *s1, const char *s2, const char *s3);
    bool confirm_discard(const char *question, const char *go, int go_key);
    // The long work off the loop (editor_jobs.cpp).
    void begin_work(EditorJob::Kind kind);
    void keep_working(const InputState &in);
    void finish_work();
    void show_rating(const Rating &r);
    bool take_shape(const SearchResult &r, const char *none_found);
    void take_generated(const SearchResult &r);
    void take_improved(const SearchResult &r);
};

// A message box as the library's alert, but with the second of two buttons chosen by Return
// and Space (and Escape), so that a question whose second answer is the safe one keeps the
// work when answered by reflex. With one button it is the library's alert.
int alert_second_default(const char *s1, const char *s2, const char *s3, const char *b1,
                         const char *b2, int c1, int c2);

// What the window's title tells in the editor, one note after another: the name of the file
// last saved or loaded ("new layout" before any), marked with '*' while there are unsaved
// changes; the count of pieces; and, when it is odd, that the shape can never be cleared.
std::vector<std::string> editor_title_notes(const std::string &file_name, bool unsaved,
                                            int count);

// A share in percent as the editor's card and messages write it: "95", "92.5".
std::string percent_text(double percent);

// Shortens a file path for a message line of at most max_width pixels in the given font,
// keeping its end (the file name) and marking the cut with "...".
std::string fit_path(const char *path, int max_width, const FONT *f);

// Runs the editor on the global layout until the user leaves with Escape or the window's
// close button.
void edit_layouts();
