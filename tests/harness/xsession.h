// The real-window harness: an X server without a monitor (Xvfb), the real tilestack binary
// running in it, real input events through XTest, and the screen read back as pixels.
#pragma once

// gtest first: the X headers define macros (None, Bool, Status) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/headless.h"

// An Xvfb server on a free display number, for the life of the object.
class XServer {
public:
    explicit XServer(int width = 1024, int height = 768, int depth = 24);
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    const std::string &name() const { return name_; }  // ":N"
    Display *display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    Display *display_ = nullptr;
};

// A picture of the screen's top-left corner, as 8-bit components.
class Screenshot {
public:
    Screenshot() = default;
    Screenshot(int width, int height) : width_(width), height_(height), pixels_(width * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const { return pixels_[y * width_ + x]; }
    void set(int x, int y, Rgb c) { pixels_[y * width_ + x] = c; }

    // Pixels in the rectangle whose colour is within `tolerance` of c in every component.
    int count_near(Rgb c, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1,
                   int tolerance = 8) const;
    // Pixels that differ (by more than 8 in a component) from a picture of the screen,
    // leaving out the box the mouse pointer may cover with its hot spot at (px, py). The
    // first difference is described in `first`, when given.
    int differences(BITMAP *expected, int px, int py, std::string *first = nullptr) const;
    // Whether the text line at (5, y) reads exactly `text` in the library's built-in font,
    // in white on anything darker.
    bool text_line_reads(int y, const std::string &text) const;
    // Share of the pixels, every `step`-th in each direction, that are within 8 in every
    // component of the same pixel of a picture of the screen.
    double share_like(BITMAP *picture, int step = 4) const;
    // Pixels that differ at all from another shot of the same size.
    int differing(const Screenshot &other) const;
    // Writes a PNG file; false on failure.
    bool save_png(const std::string &path) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

bool near(Rgb a, Rgb b, int tolerance = 8);

// Whether (x, y) may be covered by the library's mouse pointer drawn with its hot spot at
// (px, py): a box a little larger than the pointer.
bool under_pointer(int x, int y, int px, int py);

// A folder holding a copy of the data files the build generates, and nothing else a game or
// a player may have left beside them (a kept game, a saved layout), for a game to run in.
class GameFolder {
public:
    GameFolder();
    std::string path() const { return dir_.path(); }
    std::string path(const std::string &name) const { return dir_.path(name); }

private:
    TempDir dir_;
};

struct Exit {
    bool exited = false;  // false: still running at the deadline, or killed by a signal
    int status = -1;      // exit status when exited
    int signal = 0;       // the signal that ended it, if any
};

// The real tilestack binary, started in a folder with the given arguments and extra
// environment (on top of DISPLAY). Standard output and error are kept for the test.
// By default the library cannot find xmessage, so its messages go to standard error.
// The game runs as players run it, resting between passes (TILESTACK_IDLE=wait, as ./run and
// the installed launcher set it). In `env` a variable given an empty value is removed:
// started_alone() gives the program as started without the launcher.
class GameProcess {
public:
    // `launcher`, when given, is a command the game is started through (as valgrind and its
    // options), with the game binary and its arguments after it. `program`, when given, is
    // run instead of the built game binary (an installed copy of the game).
    GameProcess(const XServer *server, const std::string &folder,
                const std::vector<std::string> &args = {},
                const std::map<std::string, std::string> &env = {},
                const std::vector<std::string> &launcher = {},
                const std::string &program = "");
    ~GameProcess();  // kills the game if it still runs
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    bool running();
    // Waits up to `limit` for the game to end.
    Exit wait(std::chrono::milliseconds limit = std::chrono::seconds(30));
    std::string output() const;  // standard output and error together
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
    Exit exit_;
    std::string log_path_;
    TempDir log_dir_;
};

// Whether the game ends within the wait's limit with exit status `status`; if not, how it
// ended and what it wrote.
inline ::testing::AssertionResult exits_with(GameProcess &game, int status = 0)
{
    const Exit e = game.wait();
    if (e.exited && e.status == status)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (e.exited ? "exit status " : "no exit, signal ")
                                         << (e.exited ? e.status : e.signal) << "\n"
                                         << game.output();
}

// Input and screen reading on an X server.
class Desk {
public:
    explicit Desk(const XServer &server) : display_(server.display()) {}

    void move(int x, int y);
    void press(int button = 1);
    void release(int button = 1);
    // Moves to (x, y), then presses and releases back to back, as a quick tap does.
    void click(int x, int y, int button = 1);
    void key_down(const char *keysym_name);
    void key_up(const char *keysym_name);
    void tap(const char *keysym_name);  // down and up back to back
    // Down and up as a hand presses a key, in two batches of the library's input thread.
    void press_key(const char *keysym_name);
    void type(const std::string &text);  // printable ASCII, one tap per character
    // Taps of one key, down and up back to back.
    void tap_quickly(const char *keysym_name, int times = 1);

    Screenshot grab(int width = 640, int height = 480);
    // The size wait_for and wait_to_show grab: the game's window, 640 x 480 unless enlarged.
    void grab_size(int width, int height)
    {
        grab_width_ = width;
        grab_height_ = height;
    }
    // The waits below give up only after a generous limit, for a loaded machine: what they
    // wait for normally comes within a fraction of a second.
    //
    // Grabs the screen until `ready` holds for a shot or `limit` passes; the last shot is
    // left in `last`. True when it held.
    bool wait_for(const std::function<bool(const Screenshot &)> &ready, Screenshot &last,
                  std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Grabs the screen until it shows `expected` but for the box the pointer at (px, py) may
    // cover (Screenshot::differences), or `limit` passes; the last shot is left in `last`.
    // When it never did, `why` (when given) says how many pixels differ and where the first is.
    bool wait_to_show(BITMAP *expected, int px, int py, Screenshot &last,
                      std::string *why = nullptr,
                      std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Grabs the screen until more than `pixels` differ from `expected` (outside the pointer's
    // box), as when something is laid over a known frame.
    bool wait_to_differ(BITMAP *expected, int px, int py, Screenshot &last, int pixels = 0,
                        std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Grabs the screen until two shots in a row are the same to the pixel: whatever was on its
    // way (a frame, the pointer drawn where it was moved) has arrived. Left in `last`.
    bool wait_until_still(Screenshot &last,
                          std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Waits until the game's window is named `text`, where a `*` stands for any run of
    // characters (the clock of a game); `last` (when given) gets the last name.
    bool wait_for_window_name(const std::string &text, std::string *last = nullptr,
                              std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Size of the game's top-level window, once it exists (0 x 0 if none within the limit).
    bool window_size(int &width, int &height,
                     std::chrono::milliseconds limit = std::chrono::seconds(30));

    // Starts the game and returns once it takes input. The library centres the pointer in
    // its window a moment after start-up, which would undo any move made before; so the
    // pointer is parked inside the window away from its centre first and the game counts as
    // ready once the pointer has been moved to the window's centre ((320, 240) unless enlarged). If that does not happen within the limit but the
    // game runs with its window up, the pointer is put there; otherwise the test fails (and
    // gets what there is).
    std::unique_ptr<GameProcess> launch(const XServer &server, const std::string &folder,
                                        const std::vector<std::string> &args = {},
                                        const std::map<std::string, std::string> &env = {},
                                        const std::vector<std::string> &launcher = {},
                                        std::chrono::milliseconds limit = std::chrono::seconds(30),
                                        const std::string &program = "");
    // What the window manager sends when the window's close button is clicked: a
    // WM_DELETE_WINDOW message to the game's top-level window. False when there is none.
    bool request_close();
    // The name (title) of the game's window; empty when there is none.
    std::string window_name();
    // Where the pointer is now, in root coordinates.
    void pointer(int &x, int &y);

    // A fixed pause, only where nothing can be waited for: to let time pass in which
    // something must not happen.
    static void pause(std::chrono::milliseconds t);
    Window game_window();  // the top-level window shown, or 0

private:
    // After each input event: keeps the next one out of the same batch of the library's input
    // thread (see input_gap in xsession.cpp).
    void after_event();
    Display *display_;
    int grab_width_ = 640, grab_height_ = 480;
};

// Waits until the file at `path` exists and, when `ready` is given, its bytes satisfy it (a
// file appearing, or changing: `ready` compares with the bytes before).
bool wait_for_file(const std::string &path,
                   const std::function<bool(const std::vector<unsigned char> &)> &ready = {},
                   std::chrono::milliseconds limit = std::chrono::seconds(30));

// The environment of a game started alone, without the launcher: TILESTACK_IDLE unset, so it
// polls without pause between passes, as its screens are written to.
std::map<std::string, std::string> started_alone();

// The path of the preloaded helper that pins the game's clock or refuses colour depths.
std::string shim_library();
// The folder of the built game data, the names of the files the build generates there, and
// the game binary.
std::string built_gamedata();
std::vector<std::string> generated_files();
std::string game_binary();
