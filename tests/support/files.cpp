#include "support/files.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

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
