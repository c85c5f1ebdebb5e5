// Preloaded into the game under test (LD_PRELOAD) to pin down what a test cannot control from
// outside the process. The game itself has no option for any of this.
//   TILESTACK_SHIM_TIME=N          time() returns N, so the game's random seed is known
//   TILESTACK_SHIM_REFUSE_DEPTHS=a,b  set_gfx_mode fails while the colour depth is one of these,
//                                  as on a display that offers no such mode; the depth a mode
//                                  then opens in is written to standard error
//   TILESTACK_SHIM_FILE_SIZE_LIMIT=N  no file may grow beyond N bytes: writes past it fail, as
//                                  on a full disk (permissions prove nothing for root)
#include <allegro.h>
#include <dlfcn.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" time_t time(time_t *result)
{
    const char *fixed = std::getenv("TILESTACK_SHIM_TIME");
    time_t now;
    if (fixed) {
        now = static_cast<time_t>(std::strtoll(fixed, nullptr, 10));
    } else {
        struct timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        now = ts.tv_sec;
    }
    if (result)
        *result = now;
    return now;
}

namespace {
bool depth_refused(int depth)
{
    const char *list = std::getenv("TILESTACK_SHIM_REFUSE_DEPTHS");
    if (!list)
        return false;
    for (const char *p = list; *p;) {
        char *end;
        long d = std::strtol(p, &end, 10);
        if (end == p)
            break;
        if (d == depth)
            return true;
        p = *end ? end + 1 : end;
    }
    return false;
}
}  // namespace

extern "C" int set_gfx_mode(int card, int w, int h, int v_w, int v_h)
{
    using SetGfxMode = int (*)(int, int, int, int, int);
    static SetGfxMode real = reinterpret_cast<SetGfxMode>(dlsym(RTLD_NEXT, "set_gfx_mode"));
    if (card == GFX_TEXT || !std::getenv("TILESTACK_SHIM_REFUSE_DEPTHS"))
        return real(card, w, h, v_w, v_h);
    if (depth_refused(get_color_depth()))
        return -1;
    int result = real(card, w, h, v_w, v_h);
    if (result == 0)
        std::fprintf(stderr, "shim: the display opened at %d bits per pixel\n", get_color_depth());
    return result;
}

// Runs when the game starts, before its main routine.
__attribute__((constructor)) static void limit_file_size()
{
    const char *limit = std::getenv("TILESTACK_SHIM_FILE_SIZE_LIMIT");
    if (!limit)
        return;
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the game
    struct rlimit r;
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = static_cast<rlim_t>(std::strtoll(limit, nullptr, 10));
    setrlimit(RLIMIT_FSIZE, &r);
}
