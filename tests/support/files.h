// Files for tests: a temporary folder that removes itself, whole-file reads and writes.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string path(const std::string &name) const { return path_ + "/" + name; }
    std::vector<std::string> entries() const;  // names in the folder, sorted

private:
    std::string path_;
};

void write_file(const std::string &path, const std::vector<unsigned char> &bytes);
void write_text(const std::string &path, const std::string &text);
std::vector<unsigned char> read_file(const std::string &path);
void copy_file(const std::string &from, const std::string &to);

// Runs fn while no file of this process may grow beyond `bytes`: writes past the limit fail
// (as on a full disk) instead of ending the process. Permissions prove nothing for root.
void with_file_size_limit(long bytes, const std::function<void()> &fn);
