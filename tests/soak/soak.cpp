// The soak: a long stream of seeded random real input against the real game, built with the
// sanitizers, in an X server of its own. Clicks everywhere, quick and held, of every button;
// drags across the board and out of the window; every key the title menu, the game and the
// editor read, chords with Control and Shift, and keys nothing reads; typed bursts for the
// file selector; pauses of every length; the window's close button now and then. The game is
// started, and about a third of the time the editor, again whenever it ends.
//
//   tilestack_soak SECONDS SEED
//
// The same seed gives the same stream of events and the same plan of starts (game or editor,
// and how long each may live), each drawn from a generator of its own so that neither shifts
// the other. Timing still decides where one start ends and the next begins in the stream, and
// what the program does with an event depends on when its passes see it.
//
// Confinement. The editor's file selector reaches any folder and a random Return saves a
// layout wherever it points, so the program under test never runs as the driver's user:
//   - it runs as `nobody` (setpriv: real and effective user and group ids, no supplementary
//     groups, no new privileges), so it can write only where anybody may: the scratch
//     folder's data folder, made over to nobody, and world-writable places such as /tmp;
//   - it runs in a scratch folder under /tmp holding a copy of the data files, a copy of the
//     binary and of the test shim (a clone under /root, as CI's, is not readable by nobody),
//     and a pristine copy of the data that is put back whenever a random save spoiled a file
//     the game needs;
//   - the X server is private to the run (a new Xvfb on a free display, no TCP). It is
//     started without an authorization file, so it accepts any local client: nobody can
//     connect to it, and so could any other local user for the few minutes it lives, which
//     reaches nothing but the program under test;
//   - the sanitizers write to the program's standard error, a file the driver opened before
//     the user was changed, which the driver reads after each run.
// The driver must therefore run as root; otherwise it says so and ends with status 77 (a
// skipped test).
//
// A fault is a sanitizer report, an end by a signal, an exit status other than 0 or 1 (1 only
// with a message naming one of the data files, after a random save wrote over it), a window
// that never opens, or a hang: a program still running `hang_limit` after the closing
// sequence began (the close button, then the Leave answer to the editor's question). Each
// fault is printed with the last 50 events before it; the run ends with status 1 if there
// was any.
#include "harness/xsession.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <grp.h>
#include <signal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

// How long the closing sequence may take before the program counts as hung: a wide margin over
// the slowest closing of the sanitizer build on a loaded machine (the figures measured are in
// docs/developing.md).
constexpr milliseconds hang_limit(5000);
// How long a start may take to open its window (the sanitizer build, on a loaded machine).
constexpr milliseconds start_limit(30000);
constexpr int window_w = 640, window_h = 480;
constexpr int screen_w = 1024, screen_h = 768;
constexpr std::size_t events_kept = 50;

// The files the game needs; exit status 1 is expected only with a message naming one.
const char *const data_files[] = {"0.lyt", "1.lyt", "2.lyt", "empty.tga", "bg.tga",
                                  "geek.tga", "title.tga", "font.dat"};

// Keys the screens read: the title menu's, the game's and the editor's.
const char *const read_keys[] = {
    "Escape", "F1", "1", "2", "3", "4", "5", "6", "s", "l", "p", "BackSpace", "h", "f",
    "m", "r", "g", "i", "Left", "Right", "Up", "Down", "Return", "space", "z", "y",
    "F2", "Home", "End"};
// Keys nothing reads. Left out: Control+Alt+End, on which the library ends the program, and
// Caps Lock, which would stay on and turn the L that answers the editor's question into
// another key.
const char *const other_keys[] = {
    "a", "q", "w", "x", "t", "n", "7", "8", "9", "0", "Tab", "F5", "F10", "F12",
    "Prior", "Next", "Delete", "Insert", "minus", "period", "slash",
    "comma", "KP_Enter", "KP_5", "Shift_L", "Control_L", "Alt_L", "Menu"};
// What a typed burst draws from: enough to name a file or a folder in the file selector.
const char typed_chars[] = "slpzhmrgi0123456789.-/ab";

class Soak {
public:
    Soak(double seconds, unsigned seed)
        : seconds_(seconds), seed_(seed), rng_(seed), plan_(seed ^ 0x5eedu) {}
    int run();

private:
    // The scratch folder and the confinement
    bool prepare_scratch();
    void restore_data();
    std::vector<std::string> confined_launcher() const;

    // One start of the program, until it ends or its time is up.
    void session(bool editor, Clock::time_point until);
    bool closing_sequence(GameProcess &game);
    void judge_end(GameProcess &game, const std::string &how);
    void fault(const std::string &what, const std::string &output);

    // Random input
    void random_event();
    int pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    void random_point(int &x, int &y, int outside_percent);
    milliseconds random_pause();
    void log(const std::string &what);

    // Real X events, each sent at once
    void key(const char *name, bool down);
    void tap(const char *name) { key(name, true); key(name, false); }
    void button(int b, bool down);
    void move(int x, int y);
    void wait(milliseconds t) { Desk::pause(t); }

    double seconds_;
    unsigned seed_;
    std::mt19937 rng_;   // the events
    std::mt19937 plan_;  // the starts
    std::unique_ptr<XServer> server_;
    std::unique_ptr<Desk> desk_;
    Display *display_ = nullptr;
    Clock::time_point begun_;
    fs::path scratch_, data_, pristine_, binary_, shim_;

    long events_ = 0;
    int starts_ = 0, editor_starts_ = 0, restores_ = 0, closings_ = 0;
    milliseconds longest_closing_{0};
    std::deque<std::string> recent_;
    std::vector<std::string> faults_;
    int session_start_ = 0;
    bool session_editor_ = false;
};

// Xlib's default handler ends the program on any error; a window that goes away between the
// driver finding it and sending it a message is no reason to stop the run.
int ignore_x_error(Display *, XErrorEvent *) { return 0; }

// ---------------------------------------------------------------------------------------------
// Scratch folder

bool Soak::prepare_scratch()
{
    char name[] = "/tmp/tilestack-soak-XXXXXX";
    if (!mkdtemp(name)) {
        std::perror("mkdtemp");
        return false;
    }
    scratch_ = name;
    data_ = scratch_ / "data";
    pristine_ = scratch_ / "pristine";
    for (const fs::path &folder : {data_, pristine_, scratch_ / "bin"})
        fs::create_directory(folder);
    for (const std::string &name : generated_files()) {
        fs::copy_file(fs::path(built_gamedata()) / name, data_ / name);
        fs::copy_file(fs::path(built_gamedata()) / name, pristine_ / name);
    }
    binary_ = scratch_ / "bin" / "tilestack";
    shim_ = scratch_ / "bin" / "shim.so";
    fs::copy_file(game_binary(), binary_);
    fs::copy_file(shim_library(), shim_);

    // The scratch folder and the programs are readable by all; only the data folder and its
    // files belong to nobody. The pristine copy stays the driver's own.
    const passwd *nobody = getpwnam("nobody");
    const group *nogroup = getgrnam("nogroup");
    if (!nobody || !nogroup) {
        std::fprintf(stderr, "soak: no user nobody or group nogroup to run the program as\n");
        return false;
    }
    for (const fs::path &readable : {scratch_, scratch_ / "bin", binary_, shim_})
        chmod(readable.c_str(), 0755);
    chmod(pristine_.c_str(), 0700);
    for (const auto &entry : fs::directory_iterator(data_))
        if (chown(entry.path().c_str(), nobody->pw_uid, nogroup->gr_gid) != 0)
            return false;
    return chown(data_.c_str(), nobody->pw_uid, nogroup->gr_gid) == 0;
}

// Puts every data file back as it was, over whatever a random save wrote.
void Soak::restore_data()
{
    const passwd *nobody = getpwnam("nobody");
    const group *nogroup = getgrnam("nogroup");
    for (const auto &entry : fs::directory_iterator(pristine_)) {
        const fs::path target = data_ / entry.path().filename();
        std::error_code ignored;
        fs::remove_all(target, ignored);  // a random save may have left a folder or a link
        fs::copy_file(entry.path(), target);
        if (chown(target.c_str(), nobody->pw_uid, nogroup->gr_gid) != 0)
            std::perror("chown");
    }
    restores_++;
}

std::vector<std::string> Soak::confined_launcher() const
{
    return {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
            "--no-new-privs"};
}

// ---------------------------------------------------------------------------------------------
// Events

void Soak::log(const std::string &what)
{
    events_++;
    char line[160];
    const double t = std::chrono::duration<double>(Clock::now() - begun_).count();
    std::snprintf(line, sizeof line, "%8ld %9.3f s  start %d  %s", events_, t, starts_,
                  what.c_str());
    recent_.push_back(line);
    if (recent_.size() > events_kept)
        recent_.pop_front();
}

void Soak::key(const char *name, bool down)
{
    const KeySym sym = XStringToKeysym(name);
    if (const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display_, sym)) {
        XTestFakeKeyEvent(display_, code, down, CurrentTime);
        XSync(display_, False);
    }
}

void Soak::button(int b, bool down)
{
    XTestFakeButtonEvent(display_, b, down, CurrentTime);
    XSync(display_, False);
}

void Soak::move(int x, int y)
{
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

// Mostly in the window, sometimes anywhere on the screen.
void Soak::random_point(int &x, int &y, int outside_percent)
{
    const bool outside = chance(outside_percent);
    x = pick(outside ? screen_w : window_w);
    y = pick(outside ? screen_h : window_h);
}

// Pauses of every length: mostly none or short, now and then seconds.
milliseconds Soak::random_pause()
{
    const int r = pick(100);
    if (r < 40)
        return milliseconds(0);
    if (r < 75)
        return milliseconds(pick(60));
    if (r < 93)
        return milliseconds(60 + pick(600));
    return milliseconds(700 + pick(3000));
}

std::string button_name(int b) { return "button " + std::to_string(b); }

void Soak::random_event()
{
    const int kind = pick(100);
    int x, y;
    char text[128];
    if (kind < 22) {  // a key, quick or held, read or not
        const char *name = chance(75) ? read_keys[pick(std::size(read_keys))]
                                      : other_keys[pick(std::size(other_keys))];
        const int hold = chance(20) ? 30 + pick(1500) : 0;
        std::snprintf(text, sizeof text, "key %s %s", name,
                      hold ? ("held " + std::to_string(hold) + " ms").c_str() : "tap");
        log(text);
        key(name, true);
        if (hold)
            wait(milliseconds(hold));
        key(name, false);
    } else if (kind < 30) {  // a chord: Control, Shift or both with a key
        static const char *const chords[][3] = {
            {"Control_L", "z", nullptr}, {"Control_L", "y", nullptr},
            {"Control_L", "Shift_L", "z"}, {"Shift_L", "z", nullptr},
            {"Control_L", "s", nullptr}, {"Shift_L", "Tab", nullptr},
            {"Alt_L", "l", nullptr},     {"Control_L", "Return", nullptr}};
        const auto &c = chords[pick(std::size(chords))];
        std::snprintf(text, sizeof text, "chord %s+%s%s%s", c[0], c[1], c[2] ? "+" : "",
                      c[2] ? c[2] : "");
        log(text);
        const int n = c[2] ? 3 : 2;
        for (int i = 0; i < n; i++)
            key(c[i], true);
        wait(milliseconds(pick(80)));
        for (int i = n - 1; i >= 0; i--)
            key(c[i], false);
    } else if (kind < 34) {  // the same key again and again, as a key held down repeats
        const char *name = read_keys[pick(std::size(read_keys))];
        const int times = 2 + pick(20);
        std::snprintf(text, sizeof text, "key %s tapped %d times", name, times);
        log(text);
        for (int i = 0; i < times; i++) {
            tap(name);
            wait(milliseconds(pick(40)));
        }
    } else if (kind < 40) {  // typing, as into the file selector, sometimes confirmed
        const int n = 1 + pick(10);
        std::string typed;
        for (int i = 0; i < n; i++)
            typed += typed_chars[pick(sizeof typed_chars - 1)];
        const bool confirm = chance(40);
        std::snprintf(text, sizeof text, "type \"%s\"%s", typed.c_str(),
                      confirm ? " then Return" : "");
        log(text);
        for (char ch : typed) {
            const char *name = ch == '.' ? "period" : ch == '-' ? "minus" : ch == '/' ? "slash"
                                                                                      : nullptr;
            char plain[2] = {ch, 0};
            tap(name ? name : plain);
            wait(milliseconds(15));
        }
        if (confirm)
            tap("Return");
    } else if (kind < 58) {  // a click, quick or double, of any button
        random_point(x, y, 8);
        const int r = pick(100);
        const int b = r < 70 ? 1 : r < 80 ? 3 : r < 88 ? 2 : r < 94 ? 4 : 5;
        const bool twice = chance(15);
        std::snprintf(text, sizeof text, "%s %s at (%d, %d)", twice ? "double click" : "click",
                      button_name(b).c_str(), x, y);
        log(text);
        move(x, y);
        for (int i = 0; i < (twice ? 2 : 1); i++) {
            button(b, true);
            button(b, false);
            if (twice)
                wait(milliseconds(20 + pick(80)));
        }
    } else if (kind < 64) {  // a held press, sometimes with a key pressed meanwhile
        random_point(x, y, 5);
        const int b = chance(80) ? 1 : 1 + pick(3);
        const int hold = 50 + pick(1500);
        const char *meanwhile = chance(25) ? read_keys[pick(std::size(read_keys))] : nullptr;
        std::snprintf(text, sizeof text, "press %s at (%d, %d) held %d ms%s%s",
                      button_name(b).c_str(), x, y, hold, meanwhile ? ", meanwhile key " : "",
                      meanwhile ? meanwhile : "");
        log(text);
        move(x, y);
        button(b, true);
        if (meanwhile) {
            wait(milliseconds(hold / 2));
            tap(meanwhile);
        }
        wait(milliseconds(meanwhile ? hold / 2 : hold));
        button(b, false);
    } else if (kind < 74) {  // a drag across the board, now and then out of the window
        int x1, y1;
        random_point(x, y, 3);
        random_point(x1, y1, 20);
        const int b = chance(85) ? 1 : 3;
        const int steps = 1 + pick(15);
        std::snprintf(text, sizeof text, "drag %s from (%d, %d) to (%d, %d) in %d steps",
                      button_name(b).c_str(), x, y, x1, y1, steps);
        log(text);
        move(x, y);
        button(b, true);
        for (int i = 1; i <= steps; i++) {
            move(x + (x1 - x) * i / steps, y + (y1 - y) * i / steps);
            wait(milliseconds(pick(30)));
        }
        button(b, false);
    } else if (kind < 84) {  // the pointer moves
        random_point(x, y, 10);
        std::snprintf(text, sizeof text, "move to (%d, %d)", x, y);
        log(text);
        move(x, y);
    } else if (kind < 98) {  // a pause
        const milliseconds t = random_pause();
        std::snprintf(text, sizeof text, "pause %ld ms", static_cast<long>(t.count()));
        log(text);
        wait(t);
    } else {  // the window's close button
        log("close button");
        desk_->request_close();
    }
    // Events come in the speed of an impatient hand, a few batches of input apart at most.
    wait(milliseconds(pick(50)));
}

// ---------------------------------------------------------------------------------------------
// Starts and ends

void Soak::fault(const std::string &what, const std::string &output)
{
    std::ostringstream report;
    report << "FAULT: " << what << "\n  seed " << seed_ << ", event " << events_ << ", start "
           << session_start_ << " (" << (session_editor_ ? "editor" : "game") << ")\n"
           << "  the last " << recent_.size() << " events:\n";
    for (const std::string &line : recent_)
        report << "  " << line << "\n";
    report << "  what the program wrote:\n";  // its last lines: a sanitizer report ends them
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    for (std::size_t i = lines.size() > 80 ? lines.size() - 80 : 0; i < lines.size(); i++)
        report << "  | " << lines[i] << "\n";
    std::fputs(report.str().c_str(), stdout);
    std::fflush(stdout);
    faults_.push_back(what);
}

bool sanitizer_report(const std::string &output)
{
    return output.find("Sanitizer") != std::string::npos ||
           output.find("runtime error:") != std::string::npos;
}

// Judges how a program that has ended ended.
void Soak::judge_end(GameProcess &game, const std::string &how)
{
    const Exit e = game.wait(milliseconds(0));
    const std::string output = game.output();
    if (sanitizer_report(output)) {
        fault("a sanitizer report (" + how + ")", output);
    } else if (!e.exited) {
        const std::string signal = std::to_string(e.signal) + " (" + strsignal(e.signal);
        fault("ended by signal " + signal + ", " + how + ")", output);
    } else if (e.status == 1) {
        const bool names_a_data_file =
            std::any_of(std::begin(data_files), std::end(data_files),
                        [&](const char *f) { return output.find(f) != std::string::npos; });
        if (!names_a_data_file)
            fault("exit status 1 without naming a data file (" + how + ")", output);
        // A random save wrote over a file the game needs: the next start gets it back.
        restore_data();
    } else if (e.status != 0) {
        fault("exit status " + std::to_string(e.status) + " (" + how + ")", output);
    }
}

// The close button, then the Leave answer to the editor's question about unsaved changes,
// until the program ends or the hang limit passes. A file selector or message box open at
// the time closes on the close request as on Escape, and the editor then asks. Its question
// is answered by its shortcut, L; should that L arrive before the question is shown, it
// opens the load selector, which the next close request closes again.
bool Soak::closing_sequence(GameProcess &game)
{
    log("closing: pointer into the window, close button, then L to answer Leave");
    // With no window manager the keyboard follows the pointer: over the root window, as a
    // drag out of the window leaves it, the L would reach nothing.
    move(window_w / 2, window_h / 2);
    const auto start = Clock::now();
    while (Clock::now() - start < hang_limit) {
        desk_->request_close();
        auto ended_within = [&](int ms) {
            for (int i = 0; i < ms / 10 && game.running(); i++)
                wait(milliseconds(10));
            return !game.running();
        };
        if (ended_within(200))
            break;
        tap("l");
        if (ended_within(300))
            break;
    }
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    if (game.running()) {
        // What was on the screen, and where the program stood: the sanitizer's runtime
        // prints the stack on SIGABRT (handle_abort).
        const std::string picture = "/tmp/tilestack-soak-hang-" + std::to_string(seed_) + "-" +
                                    std::to_string(events_) + ".png";
        const bool saved = desk_->grab(window_w, window_h).save_png(picture);
        kill(game.pid(), SIGABRT);
        game.wait(milliseconds(5000));
        fault("a hang: still running " + std::to_string(took.count()) +
                  " ms after the closing sequence began" +
                  (saved ? "; the screen then: " + picture : ""),
              game.output());
        return false;  // the process is killed as the GameProcess goes
    }
    closings_++;
    longest_closing_ = std::max(longest_closing_, took);
    judge_end(game, "after the closing sequence");
    return true;
}

void Soak::session(bool editor, Clock::time_point until)
{
    starts_++;
    session_start_ = starts_;
    session_editor_ = editor;
    editor_starts_ += editor;
    log(editor ? "start the editor" : "start the game");
    const std::map<std::string, std::string> env = {
        {"LD_PRELOAD", shim_.string()},
        // The game's deals follow its clock: pinned to the seed and the start, they repeat.
        {"TILESTACK_SHIM_TIME", std::to_string(seed_ + starts_)},
        {"HOME", data_.string()},
        {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=1:exitcode=86:handle_abort=1"},
    };
    // Parked inside the window, where the library takes the pointer from as it starts.
    move(600, 20);
    GameProcess game(server_.get(), data_.string(), editor ? std::vector<std::string>{"edit"}
                                                           : std::vector<std::string>{},
                     env, confined_launcher(), binary_.string());
    int w = 0, h = 0;
    const auto opened = Clock::now();
    while (game.running() && !desk_->window_size(w, h, milliseconds(0))) {
        if (Clock::now() - opened > start_limit) {
            fault("no window within " + std::to_string(start_limit.count() / 1000) + " s",
                  game.output());
            return;
        }
        wait(milliseconds(20));
    }
    while (Clock::now() < until) {
        if (!game.running()) {
            judge_end(game, "during the events");
            return;
        }
        random_event();
    }
    if (game.running())
        closing_sequence(game);
    else
        judge_end(game, "during the events");
}

int Soak::run()
{
    if (geteuid() != 0) {
        std::printf("soak: skipped: the driver must run as root, to run the program under test "
                    "as nobody (a random save must reach nothing of yours)\n");
        return 77;
    }
    if (!prepare_scratch())
        return 2;
    XSetErrorHandler(ignore_x_error);
    server_ = std::make_unique<XServer>(screen_w, screen_h, 24);
    display_ = server_->display();
    desk_ = std::make_unique<Desk>(*server_);
    std::printf("soak: seed %u, %.0f s, scratch folder %s, display %s\n", seed_, seconds_,
                scratch_.c_str(), server_->name().c_str());
    std::fflush(stdout);

    begun_ = Clock::now();
    const auto end = begun_ + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(seconds_));
    while (Clock::now() < end) {
        const bool editor = plan_() % 3 == 0;
        // A start lives a few seconds to a minute before the closing sequence, unless it
        // ends sooner by the input it gets.
        const auto life = milliseconds(3000 + plan_() % 57000);
        session(editor, std::min(end, Clock::now() + life));
    }

    std::printf("soak: seed %u: %ld events, %d starts (%d of the editor), %d closing "
                "sequences (the longest %ld ms), %d restores of the data files, %zu fault(s)\n",
                seed_, events_, starts_, editor_starts_, closings_,
                static_cast<long>(longest_closing_.count()), restores_, faults_.size());
    for (const std::string &f : faults_)
        std::printf("  fault: %s\n", f.c_str());
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
    return faults_.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s SECONDS [SEED]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const unsigned seed = argc == 3 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                    : std::random_device{}();
    if (seconds <= 0) {
        std::fprintf(stderr, "soak: SECONDS must be more than 0\n");
        return 2;
    }
    try {
        return Soak(seconds, seed).run();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 2;
    }
}
