#include "board/layout.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

Layout layout;  // static storage: starts with every cell empty and count 0

bool Layout::load(const char *path)
{
    // A directory opens fine with fopen on Linux; only regular files are layouts.
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    FILE *file = std::fopen(path, "rb");
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

bool Layout::save(const char *path) const
{
    // Write beside the target, then rename over it, so a failed write never costs the old file.
    std::string temporary = std::string(path) + ".tmp-" + std::to_string(getpid());
    FILE *file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;

    bool ok = std::fwrite(cells, 1, cell_count, file) == cell_count;
    ok = std::fflush(file) == 0 && ok;
    ok = fsync(fileno(file)) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (ok)
        ok = std::rename(temporary.c_str(), path) == 0;
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}
