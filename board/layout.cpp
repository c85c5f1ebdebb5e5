#include "board/layout.h"

#include "board/editing.h"
#include "board/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

Layout layout;  // static storage: starts with every cell empty and count 0

bool Layout::is_supported(int x, int y, int z) const { return rests_on_support(*this, x, y, z); }

bool Layout::load(const char *path)
{
    FILE *file = open_regular_file(path);
    if (!file)
        return false;

    unsigned char scratch[cell_count];
    size_t got = std::fread(scratch, 1, cell_count, file);
    bool read_error = std::ferror(file) != 0;
    std::fclose(file);
    if (got != cell_count || read_error)
        return false;

    count = 0;
    for (int i = 0; i < cell_count; i++) {
        cells[i] = scratch[i];
        if (cells[i] != 0)
            count++;
    }
    return true;
}

namespace {

// The file a save writes: the path itself, or, when it is a symbolic link, the file the link
// leads to (through any chain of links; a link to nothing names the file to create). Empty
// when the chain cannot be followed (a loop, or a link that cannot be read).
std::string save_target(const std::string &path)
{
    std::string target = path;
    for (int links = 0; links < 40; links++) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return target;
        std::vector<char> leads_to(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        const ssize_t n = readlink(target.c_str(), leads_to.data(), leads_to.size());
        if (n <= 0 || static_cast<size_t>(n) >= leads_to.size())
            return "";
        std::string next(leads_to.data(), static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = target.substr(0, slash + 1) + next;  // relative to the link's own folder
        target = next;
    }
    return "";
}

// The permission bits a new file gets under the user's umask, as fopen would give it.
mode_t new_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool write_all(int fd, const unsigned char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool Layout::save(const char *path) const
{
    // Written to a temporary file beside the target, then renamed over it, so that a save cut
    // short (a full disk, a crash) never costs the old file. Through a symbolic link the file
    // it leads to is replaced, and the link stays.
    const std::string target = save_target(path);
    if (target.empty())
        return false;
    struct stat old;
    const bool replacing = stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return false;

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // mkstemp makes a new file of its own (never an existing one, nor through a link), so
    // the rename can only ever put this save in place of the target.
    std::string temporary = folder + "." + name + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;

    // Keep what the user set on the old file (a private layout stays private, a shared one
    // keeps its group); a new file gets the usual mode. Owner and group carry over where the
    // system allows it (as when root saves another user's file); elsewhere the saver's stay.
    if (replacing && (old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd, old.st_uid, old.st_gid) != 0) {
        // not fatal: the file is still saved, owned by whoever saved it
    }
    bool ok = fchmod(fd, replacing ? (old.st_mode & 0777) : new_file_mode()) == 0;
    ok = ok && write_all(fd, cells, cell_count);
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        unlink(temporary.c_str());
    return ok;
}
