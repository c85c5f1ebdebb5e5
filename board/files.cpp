#include "board/files.h"

#include <sys/stat.h>

FileFacts file_facts(const char *path)
{
    FileFacts facts;
    struct stat info;
    if (stat(path, &info) != 0)
        return facts;
    facts.exists = true;
    facts.regular = S_ISREG(info.st_mode);
    if (facts.regular)
        facts.size = static_cast<long long>(info.st_size);
    return facts;
}

std::FILE *open_regular_file(const char *path)
{
    return file_facts(path).regular ? std::fopen(path, "rb") : nullptr;
}
