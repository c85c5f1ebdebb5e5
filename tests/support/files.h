// Files for tests: a temporary folder that removes itself, whole-file reads and writes.
#pragma once

#include <array>
#include <functional>
#include <initializer_list>
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
// The 504 bytes of a layout file holding these cells, each {x, y, z, value}; the rest 0.
std::vector<unsigned char> layout_bytes(std::initializer_list<std::array<int, 4>> cells);

// Runs fn while no file of this process may grow beyond `bytes`: writes past the limit fail
// (as on a full disk) instead of ending the process. Permissions prove nothing for root.
void with_file_size_limit(long bytes, const std::function<void()> &fn);

// Something at a path that is not a regular file, made by make_non_files.
struct NonFile {
    std::string what;  // "a pipe", "a link to a device" and so on
    std::string path;
};

// Makes in the folder each kind of thing a file could be written over that is not a regular
// file: a pipe, a socket, a link to a pipe, and, for root alone, a character device (like
// /dev/full, but of its own) and a link to it.
std::vector<NonFile> make_non_files(const TempDir &dir);

// What is at the path, as seen without and through a link (its kind, mode and device), to
// tell that it is still what it was; "0 0 0" for nothing.
std::string kind_at(const std::string &path);
