// Fuzz target: Layout::load on file contents of any length. What must hold for every input:
// the load succeeds exactly for files of at least 504 bytes; the count always equals the
// number of occupied cells; a failed load leaves the layout exactly as it was; a good load
// takes the first 504 bytes, and saving and loading again gives them back unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/layout.h"

namespace {

std::string scratch_path(const char *name)
{
    const char *dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/tilestack-fuzz-" + std::to_string(getpid()) + "-" + name;
}

const std::string input_path = scratch_path("in.lyt");
const std::string saved_path = scratch_path("saved.lyt");

void remove_scratch_files()
{
    std::remove(input_path.c_str());
    std::remove(saved_path.c_str());
}

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

int occupied(const Layout &l)
{
    int n = 0;
    for (unsigned char c : l.cells)
        n += c != 0;
    return n;
}

bool write_bytes(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::atexit(remove_scratch_files);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!write_bytes(input_path, data, size))
        broken("cannot write the input file");

    // A layout that already holds pieces, different for different inputs.
    Layout layout;
    layout.clear();
    const unsigned seed = size ? data[size - 1] : 7;
    for (int i = 0; i < Layout::cell_count; i++)
        layout.set_cell(i, (i * 37 + seed) % 11 < 4 ? (i + seed) % 256 : 0);
    const Layout before = layout;

    const bool loaded = layout.load(input_path.c_str());
    if (layout.count != occupied(layout))
        broken("the count differs from the number of occupied cells");
    if (loaded != (size >= static_cast<size_t>(Layout::cell_count)))
        broken("a load succeeds exactly for files of at least 504 bytes");
    if (!loaded) {
        if (std::memcmp(layout.cells, before.cells, sizeof layout.cells) != 0 ||
            layout.count != before.count)
            broken("a failed load changed the layout");
        return 0;
    }
    if (std::memcmp(layout.cells, data, Layout::cell_count) != 0)
        broken("a load does not take the file's first 504 bytes");

    if (!layout.save(saved_path.c_str()))
        broken("a save into a writable folder failed");
    Layout again;
    again.clear();
    if (!again.load(saved_path.c_str()) ||
        std::memcmp(again.cells, layout.cells, sizeof again.cells) != 0 ||
        again.count != layout.count)
        broken("a saved layout does not load back unchanged");
    FILE *f = std::fopen(saved_path.c_str(), "rb");
    if (!f)
        broken("the saved file is gone");
    std::fseek(f, 0, SEEK_END);
    const long saved_size = std::ftell(f);
    std::fclose(f);
    if (saved_size != Layout::cell_count)
        broken("a saved layout file is not 504 bytes");
    return 0;
}
