#include "board/layout.h"

#include "platform/files.h"

#include <cstdio>

Layout layout;  // static storage: starts with every cell empty and count 0

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

bool Layout::save(const char *path, std::string *why) const
{
    return replace_file(path, cells, cell_count, why);
}
