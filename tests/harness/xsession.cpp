// gtest first: the X headers define macros (None, Bool, Status) that clash with it.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include "harness/xsession.h"

#include "png_file.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

[[noreturn]] void child_failed(const char *what)
{
    std::perror(what);
    _exit(127);
}

// Runs `done` until it holds or `limit` passes, looking again every 20 ms; true when it held.
bool poll_until(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The X server

XServer::XServer(int width, int height, int depth)
{
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    const std::string screen =
        std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        child_failed("Xvfb");
    }
    close(fds[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (!display_)
        throw std::runtime_error("cannot connect to Xvfb on " + name_);
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor))
        throw std::runtime_error("the X server has no XTest extension");
}

XServer::~XServer()
{
    if (display_)
        XCloseDisplay(display_);
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Screenshots

bool near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

int Screenshot::count_near(Rgb c, int x0, int y0, int x1, int y1, int tolerance) const
{
    if (x1 < 0)
        x1 = width_ - 1;
    if (y1 < 0)
        y1 = height_ - 1;
    int n = 0;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            n += near(at(x, y), c, tolerance);
    return n;
}

bool under_pointer(int x, int y, int px, int py)
{
    // The library's pointer is 16 x 24 at most; the box leaves a little room around it.
    return x >= px - 2 && x < px + 20 && y >= py - 2 && y < py + 26;
}

int Screenshot::differences(BITMAP *expected, int px, int py, std::string *first) const
{
    int n = 0;
    for (int y = 0; y < height_ && y < expected->h; y++)
        for (int x = 0; x < width_ && x < expected->w; x++) {
            if (under_pointer(x, y, px, py))
                continue;
            const Rgb want = rgb_at(expected, x, y);
            if (!near(at(x, y), want, 8)) {
                if (n == 0 && first)
                    *first = "first at (" + std::to_string(x) + ", " + std::to_string(y) +
                             "): screen " + to_string(at(x, y)) + ", expected " +
                             to_string(want);
                n++;
            }
        }
    return n;
}

bool Screenshot::text_line_reads(int y, const std::string &text) const
{
    const Rgb white = {255, 255, 255};
    BITMAP *line = create_bitmap_ex(32, width_, 8);
    clear_to_color(line, 0);
    textout_ex(line, font, text.c_str(), 5, 0, makecol32(255, 255, 255), -1);
    bool same = true;
    for (int row = 0; row < 8 && same; row++)
        for (int x = 0; x < width_ && same; x++)
            same = (getpixel(line, x, row) != 0) == near(at(x, y + row), white, 10);
    destroy_bitmap(line);
    return same;
}

double Screenshot::share_like(BITMAP *picture, int step) const
{
    int same = 0, all = 0;
    for (int y = 0; y < height_ && y < picture->h; y += step)
        for (int x = 0; x < width_ && x < picture->w; x += step, all++)
            same += near(at(x, y), rgb_at(picture, x, y), 8);
    return all ? static_cast<double>(same) / all : 0;
}

int Screenshot::differing(const Screenshot &other) const
{
    int n = 0;
    for (size_t i = 0; i < pixels_.size() && i < other.pixels_.size(); i++)
        n += pixels_[i] != other.pixels_[i];
    return n;
}

bool Screenshot::save_png(const std::string &path) const
{
    std::vector<unsigned char> bytes;
    bytes.reserve(pixels_.size() * 3);
    for (const Rgb &c : pixels_) {
        bytes.push_back(static_cast<unsigned char>(c.r));
        bytes.push_back(static_cast<unsigned char>(c.g));
        bytes.push_back(static_cast<unsigned char>(c.b));
    }
    return write_png(path, width_, height_, 3, bytes);
}

// ---------------------------------------------------------------------------------------------
// Game folder and process

std::string built_gamedata() { return TILESTACK_GAMEDATA; }
std::string game_binary() { return TILESTACK_BINARY; }
std::string shim_library() { return TILESTACK_SHIM; }

std::vector<std::string> generated_files()
{
    std::vector<std::string> names;
    std::istringstream list(TILESTACK_GAMEDATA_FILES);
    for (std::string name; list >> name;)
        names.push_back(name);
    return names;
}

std::map<std::string, std::string> started_alone() { return {{"TILESTACK_IDLE", ""}}; }

GameFolder::GameFolder()
{
    for (const std::string &name : generated_files())
        copy_file(built_gamedata() + "/" + name, dir_.path(name));
}

GameProcess::GameProcess(const XServer *server, const std::string &folder,
                         const std::vector<std::string> &args,
                         const std::map<std::string, std::string> &env,
                         const std::vector<std::string> &launcher, const std::string &program)
{
    log_path_ = log_dir_.path("output.txt");
    std::string empty_path = log_dir_.path("bin");
    std::filesystem::create_directory(empty_path);

    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(folder.c_str()) != 0)
            child_failed("chdir");
        int log = open(log_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 1);
        dup2(log, 2);
        if (server)
            setenv("DISPLAY", server->name().c_str(), 1);
        else
            unsetenv("DISPLAY");
        // An empty PATH: no xmessage, so messages go to standard error, not a message box.
        setenv("PATH", empty_path.c_str(), 1);
        // A game built with AddressSanitizer refuses to start when a preloaded library
        // comes before the sanitizer's runtime; the test shim has to. A finding of the
        // sanitizers (leaks included) ends the game with a status of its own, which no test
        // mistakes for the game's own exit status 1.
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=1:exitcode=86", 1);
        setenv("UBSAN_OPTIONS", "print_stacktrace=1:exitcode=86", 1);
        // Every game under test gets the shim and rests between passes, as a player's does;
        // a test's own environment comes on top, an empty value removing a variable.
        setenv("LD_PRELOAD", shim_library().c_str(), 1);
        setenv("TILESTACK_IDLE", "wait", 1);
        for (const auto &[name, value] : env) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        std::vector<std::string> words = launcher;
        words.push_back(program.empty() ? game_binary() : program);
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        execv(words[0].c_str(), argv.data());
        child_failed("execv");
    }
}

GameProcess::~GameProcess()
{
    if (!reaped_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool GameProcess::running()
{
    if (reaped_)
        return false;
    int status;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0)
        return true;
    reaped_ = true;
    exit_.exited = WIFEXITED(status);
    exit_.status = exit_.exited ? WEXITSTATUS(status) : -1;
    exit_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return false;
}

Exit GameProcess::wait(std::chrono::milliseconds limit)
{
    if (!poll_until([this] { return !running(); }, limit))
        return Exit{};
    return exit_;
}

std::string GameProcess::output() const
{
    std::stringstream text;
    text << std::ifstream(log_path_).rdbuf();
    return text.str();
}

// ---------------------------------------------------------------------------------------------
// Input and screen

void Desk::pause(std::chrono::milliseconds t) { std::this_thread::sleep_for(t); }

// The game records every press, however short, so events need no holding. A short pause
// after each one keeps the next event out of the same batch of the library's input thread,
// which takes in X events about every 10 ms: two presses in one batch read as one press.
// Nothing on the screen tells when the library has taken an event in, so this cannot be a
// wait; the game's passes see what the batches gave them in order.
constexpr std::chrono::milliseconds input_gap(30);

void Desk::after_event()
{
    XSync(display_, False);
    pause(input_gap);
}

void Desk::move(int x, int y)
{
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    after_event();
}

void Desk::press(int button)
{
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    after_event();
}

void Desk::release(int button)
{
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    after_event();
}

void Desk::click(int x, int y, int button)
{
    move(x, y);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    after_event();
}

void Desk::key_down(const char *keysym_name)
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym_name)), True,
                      CurrentTime);
    after_event();
}

void Desk::key_up(const char *keysym_name)
{
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym_name)), False,
                      CurrentTime);
    after_event();
}

void Desk::tap(const char *keysym_name) { tap_quickly(keysym_name); }

void Desk::press_key(const char *keysym_name)
{
    key_down(keysym_name);
    key_up(keysym_name);
}

void Desk::type(const std::string &text)
{
    for (char c : text) {
        char name[2] = {c, 0};
        const char *keysym = name;
        bool shifted = false;
        switch (c) {
        case '/': keysym = "slash"; break;
        case '.': keysym = "period"; break;
        case '-': keysym = "minus"; break;
        case '_': keysym = "underscore"; shifted = true; break;
        case ' ': keysym = "space"; break;
        default: shifted = c >= 'A' && c <= 'Z'; break;
        }
        // Typed text goes through the library's key buffer, which keeps every key: no holds.
        KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
        KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
        if (shifted)
            XTestFakeKeyEvent(display_, shift, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shifted)
            XTestFakeKeyEvent(display_, shift, False, CurrentTime);
        after_event();
    }
}

void Desk::tap_quickly(const char *keysym_name, int times)
{
    KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym_name));
    for (int i = 0; i < times; i++) {
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        after_event();
    }
}

Screenshot Desk::grab(int width, int height)
{
    Window root = DefaultRootWindow(display_);
    XImage *image = XGetImage(display_, root, 0, 0, width, height, AllPlanes, ZPixmap);
    Screenshot shot(width, height);
    if (!image)
        return shot;
    // Works for any true-colour visual: scale each field by its mask.
    auto field = [](unsigned long pixel, unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            shift++;
        }
        unsigned long v = (pixel >> shift) & mask;
        return mask ? static_cast<int>(v * 255 / mask) : 0;
    };
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned long p = XGetPixel(image, x, y);
            shot.set(x, y, {field(p, image->red_mask), field(p, image->green_mask),
                            field(p, image->blue_mask)});
        }
    XDestroyImage(image);
    return shot;
}

bool Desk::wait_for(const std::function<bool(const Screenshot &)> &ready, Screenshot &last,
                    std::chrono::milliseconds limit)
{
    return poll_until(
        [&] {
            last = grab(grab_width_, grab_height_);
            return ready(last);
        },
        limit);
}

bool Desk::wait_to_differ(BITMAP *expected, int px, int py, Screenshot &last, int pixels,
                          std::chrono::milliseconds limit)
{
    return wait_for(
        [&](const Screenshot &s) { return s.differences(expected, px, py) > pixels; }, last,
        limit);
}

bool Desk::wait_until_still(Screenshot &last, std::chrono::milliseconds limit)
{
    Screenshot before = grab(grab_width_, grab_height_);
    return wait_for(
        [&](const Screenshot &s) {
            const bool same = s.differing(before) == 0;
            before = s;
            return same;
        },
        last, limit);
}

bool Desk::wait_for_window_name(const std::string &text, std::string *last,
                                std::chrono::milliseconds limit)
{
    std::string name;
    const bool named = poll_until(
        [&] {
            name = window_name();
            return text.find('*') == std::string::npos ? name == text
                                                       : fnmatch(text.c_str(), name.c_str(), 0) == 0;
        },
        limit);
    if (last)
        *last = name;
    return named;
}

bool wait_for_file(const std::string &path,
                   const std::function<bool(const std::vector<unsigned char> &)> &ready,
                   std::chrono::milliseconds limit)
{
    return poll_until(
        [&] {
            return std::filesystem::exists(path) && (!ready || ready(read_file(path)));
        },
        limit);
}

bool Desk::wait_to_show(BITMAP *expected, int px, int py, Screenshot &last, std::string *why,
                        std::chrono::milliseconds limit)
{
    auto matches = [&](const Screenshot &s) { return s.differences(expected, px, py) == 0; };
    if (wait_for(matches, last, limit))
        return true;
    if (why) {
        std::string first;
        const int n = last.differences(expected, px, py, &first);
        *why = std::to_string(n) + " pixels differ, " + first;
    }
    return false;
}

void Desk::pointer(int &x, int &y)
{
    Window root, child;
    int wx, wy;
    unsigned int mask;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &wx, &wy, &mask);
}

std::unique_ptr<GameProcess> Desk::launch(const XServer &server, const std::string &folder,
                                          const std::vector<std::string> &args,
                                          const std::map<std::string, std::string> &env,
                                          const std::vector<std::string> &launcher,
                                          std::chrono::milliseconds limit,
                                          const std::string &program)
{
    move(600, 20);  // inside the window, where the library will take it from
    auto game = std::make_unique<GameProcess>(&server, folder, args, env, launcher, program);
    int x = 0, y = 0, w = 0, h = 0;
    bool gone = false;
    const bool centred = poll_until(
        [&] {
            gone = !game->running();
            pointer(x, y);
            return gone ||
                   (window_size(w, h, std::chrono::milliseconds(0)) && x == w / 2 && y == h / 2);
        },
        limit);
    if (centred && !gone)
        return game;
    // Rarely the library never centres the pointer (its warp seems to race with the mapping of
    // the window). A game that runs with its window up is ready all the same: put the pointer
    // where the library would have.
    if (game->running() && window_size(w, h, std::chrono::milliseconds(0))) {
        move(w / 2, h / 2);
        return game;
    }
    ADD_FAILURE() << "the game did not take the pointer within " << limit.count()
                  << " ms (pointer at " << x << ", " << y << ")\n" << game->output();
    return game;
}

Window Desk::game_window()
{
    Window root_return, parent, *children = nullptr, shown = 0;
    unsigned int n = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root_return, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n; i++) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable)
                shown = children[i];
        }
        if (children)
            XFree(children);
    }
    return shown;
}

std::string Desk::window_name()
{
    const Window window = game_window();
    char *name = nullptr;
    if (!window || !XFetchName(display_, window, &name) || !name)
        return "";
    const std::string text = name;
    XFree(name);
    return text;
}

bool Desk::request_close()
{
    const Window window = game_window();
    if (!window)
        return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    after_event();
    return true;
}

bool Desk::window_size(int &width, int &height, std::chrono::milliseconds limit)
{
    width = height = 0;
    return poll_until(
        [&] {
            XWindowAttributes a;
            const Window window = game_window();
            if (window && XGetWindowAttributes(display_, window, &a)) {
                width = a.width;
                height = a.height;
            }
            return width > 0;
        },
        limit);
}
