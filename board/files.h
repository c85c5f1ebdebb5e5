// Looking at a path before reading it as a file: the game's data files and layout files must
// be regular files, as a folder opens with fopen and reads as nothing, and opening a pipe
// waits for a writer that never comes.
#pragma once

#include <cstdio>

struct FileFacts {
    bool exists = false;   // something is there
    bool regular = false;  // a regular file (after following links)
    long long size = 0;    // its size in bytes, when regular
};

FileFacts file_facts(const char *path);

// Opens a regular file for binary reading, or gives nullptr.
std::FILE *open_regular_file(const char *path);
