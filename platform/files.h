// Files as the game reads and writes them. Reading: the game's data files and layout files
// must be regular files, as a folder opens and reads as nothing, and opening a pipe waits for
// a writer that never comes. Writing: a file is replaced whole or not at all, and only a
// regular file is ever replaced.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

struct FileFacts {
    bool exists = false;   // something is there
    bool regular = false;  // a regular file (after following links)
    bool folder = false;   // a folder (after following links)
    long long size = 0;    // its size in bytes, when regular
};

// What is at a path now, for messages that name what is wrong; reading goes through
// open_regular_file, which looks again at what it opened.
FileFacts file_facts(const char *path);

// Opens a regular file for binary reading, or gives nullptr. The path is opened without
// waiting (a pipe or a device opens at once) and what was opened is looked at before anything
// is read, so nothing put in the file's place between a look and the read can be read or
// waited on. `size`, when given, receives the size of the file opened.
std::FILE *open_regular_file(const char *path, long long *size = nullptr);

// Makes `bytes` the whole content of the file at `path`: written to a new temporary file
// beside it, then renamed over it, so that a write cut short (a full disk, a crash) never
// costs the old file. Through a symbolic link the file it leads to is replaced and the link
// stays; an existing file keeps its mode (and owner, where the system allows it); a new file
// gets the usual mode under the user's umask. What is there and is not a regular file (a
// folder, a device, a pipe) is refused and left as it is. On failure the old file is
// untouched, no temporary file is left, and `why` (when given) says what failed.
bool replace_file(const char *path, const unsigned char *bytes, std::size_t size,
                  std::string *why = nullptr);

// What replace_file says of something there that is neither a regular file nor a folder.
constexpr const char *not_a_regular_file = "it is not a regular file";

// Whether new files may be made in the folder (it is one, and this user may write there).
bool may_create_files_in(const char *folder);

// Whether the two paths name one file: the same path, or two names (links) of one file.
bool same_file(const char *a, const char *b);
