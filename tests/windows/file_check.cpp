// tilestack-file-check, the Windows tests' helper for replacing files (run under Wine):
//   tilestack-file-check hold PATH SECONDS  keeps PATH open as an editor would (sharing reads
//                                           and writes, not its removal) for SECONDS
//   tilestack-file-check replace PATH TEXT  makes TEXT the file's content through the game's
//                                           replace_file; status 0 when replaced, 3 when
//                                           refused, with what failed on standard output
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>
#include <shellapi.h>

#include "platform/files.h"
#include "platform/text_windows.h"

int main(int argc, char *argv[])
{
    // The arguments in UTF-8, as the game's paths are: main's own are in the local code page.
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string path = wide && count == argc && argc > 2 ? utf8_text(wide[2]) : "";
    if (argc == 4 && std::strcmp(argv[1], "hold") == 0) {
        HANDLE held = CreateFileW(wide_text(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE)
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
        CloseHandle(held);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "replace") == 0) {
        std::string why;
        const bool done = replace_file(path.c_str(), reinterpret_cast<const unsigned char *>(argv[3]),
                                       std::strlen(argv[3]), &why);
        std::printf("%s\n", done ? "replaced" : why.c_str());
        return done ? 0 : 3;
    }
    std::fprintf(stderr, "usage: tilestack-file-check hold PATH SECONDS | replace PATH TEXT\n");
    return 2;
}
