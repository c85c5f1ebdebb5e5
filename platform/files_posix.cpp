// The files of platform/files.h on a POSIX system.
#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

FileFacts file_facts(const char *path)
{
    FileFacts facts;
    struct stat info;
    if (stat(path, &info) != 0)
        return facts;
    facts.exists = true;
    facts.regular = S_ISREG(info.st_mode);
    facts.folder = S_ISDIR(info.st_mode);
    if (facts.regular)
        facts.size = static_cast<long long>(info.st_size);
    return facts;
}

std::FILE *open_regular_file(const char *path, long long *size)
{
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat info;
    std::FILE *file = nullptr;
    // A regular file never blocks, so taking O_NONBLOCK off again changes nothing for the read.
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const int flags = fcntl(fd, F_GETFL);
        if (flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0)
            file = fdopen(fd, "rb");
    }
    if (!file) {
        close(fd);
        return nullptr;
    }
    if (size)
        *size = static_cast<long long>(info.st_size);
    return file;
}

namespace {

// The file a write replaces: the path itself, or, when it is a symbolic link, the file the
// link leads to (through any chain of links; a link to nothing names the file to create).
// Empty when the chain cannot be followed (a loop, or a link that cannot be read).
std::string write_target(const std::string &path)
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

// The user's umask, read without setting it: umask() can only be read by changing it, which
// would give a file made meanwhile on another thread the wrong mode.
mode_t current_umask()
{
    if (std::FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask & 0777);
    }
    return 022;  // the usual umask, where the system does not tell
}

bool write_all(int fd, const unsigned char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool fail(std::string *why, const std::string &what)
{
    if (why)
        *why = what;
    return false;
}

// Makes a rename in the folder last through a crash. A folder that cannot be opened or synced
// (one this user may write to but not read) costs only that: the file itself is written.
void sync_folder(const std::string &folder)
{
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

}  // namespace

bool replace_file(const char *path, const unsigned char *bytes, std::size_t size,
                  std::string *why)
{
    const std::string target = write_target(path);
    if (target.empty())
        return fail(why, "the symbolic link cannot be followed");
    struct stat old;
    const bool replacing = stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return fail(why, "it is a folder");
    // A device, a pipe or a socket would be put out of the way by the rename, not written.
    if (replacing && !S_ISREG(old.st_mode))
        return fail(why, not_a_regular_file);

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // mkstemp makes a new file of its own (never an existing one, nor through a link), so
    // the rename can only ever put this write in place of the target.
    std::string temporary = folder + "." + name + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return fail(why, std::string("cannot create a file in its folder: ") + std::strerror(errno));

    // Keep what the user set on the old file (a private layout stays private, a shared one
    // keeps its group); a new file gets the usual mode. Owner and group carry over where the
    // system allows it (as when root saves another user's file); elsewhere the writer's stay.
    if (replacing && (old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd, old.st_uid, old.st_gid) != 0) {
        // not fatal: the file is still written, owned by whoever wrote it
    }
    std::string failed;
    if (fchmod(fd, replacing ? (old.st_mode & 0777) : (0666 & ~current_umask())) != 0)
        failed = "cannot set its mode";
    else if (!write_all(fd, bytes, size))
        failed = "cannot write it";
    else if (fsync(fd) != 0)
        failed = "cannot write it";
    const int saved_errno = errno;
    if (close(fd) != 0 && failed.empty())
        failed = "cannot write it";
    else
        errno = saved_errno;
    if (failed.empty() && std::rename(temporary.c_str(), target.c_str()) != 0)
        failed = "cannot put it in place of the old file";
    if (failed.empty()) {
        sync_folder(folder);
        return true;
    }
    failed += std::string(": ") + std::strerror(errno);
    unlink(temporary.c_str());
    return fail(why, failed);
}

bool may_create_files_in(const char *folder)
{
    struct stat info;
    return stat(folder, &info) == 0 && S_ISDIR(info.st_mode) && access(folder, W_OK | X_OK) == 0;
}

bool same_file(const char *a, const char *b)
{
    struct stat sa, sb;
    if (std::strcmp(a, b) == 0)
        return true;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}
