#include "support/files.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>

#include "board/layout.h"

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tilestack-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::entries() const
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void write_file(const std::string &path, const std::vector<unsigned char> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<long>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void write_text(const std::string &path, const std::string &text)
{
    write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void copy_file(const std::string &from, const std::string &to)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

void with_file_size_limit(long bytes, const std::function<void()> &fn)
{
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limited);
    fn();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
}

std::vector<NonFile> make_non_files(const TempDir &dir)
{
    std::vector<NonFile> made;
    if (mkfifo(dir.path("pipe").c_str(), 0644) == 0)
        made.push_back({"a pipe", dir.path("pipe")});
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = dir.path("socket");
    if (listener >= 0 && socket_path.size() < sizeof address.sun_path) {
        std::strcpy(address.sun_path, socket_path.c_str());
        if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            made.push_back({"a socket", socket_path});
    }
    if (listener >= 0)
        close(listener);  // the socket's name stays in the folder
    if (symlink("pipe", dir.path("link-to-pipe").c_str()) == 0)
        made.push_back({"a link to a pipe", dir.path("link-to-pipe")});
    if (geteuid() == 0 && mknod(dir.path("device").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        made.push_back({"a device", dir.path("device")});
        if (symlink("device", dir.path("link-to-device").c_str()) == 0)
            made.push_back({"a link to a device", dir.path("link-to-device")});
    }
    return made;
}

std::string kind_at(const std::string &path)
{
    struct stat own {}, through {};
    lstat(path.c_str(), &own);
    stat(path.c_str(), &through);
    return std::to_string(own.st_mode) + " " + std::to_string(through.st_mode) + " " +
           std::to_string(through.st_rdev);
}

std::vector<unsigned char> layout_bytes(std::initializer_list<std::array<int, 4>> cells)
{
    std::vector<unsigned char> bytes(Layout::cell_count, 0);
    for (const auto &c : cells)
        bytes[Layout::index(c[0], c[1], c[2])] = static_cast<unsigned char>(c[3]);
    return bytes;
}
