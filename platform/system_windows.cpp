// The process's surroundings of platform/system.h on Windows.
#include "platform/system.h"
#include "platform/text_windows.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <cwchar>
#include <vector>
#include <windows.h>

std::wstring wide_text(const std::string &utf8)
{
    if (utf8.empty())
        return L"";
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string utf8_text(const std::wstring &wide)
{
    if (wide.empty())
        return "";
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            n, nullptr, nullptr);
    return utf8;
}

std::string current_folder()
{
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0)
        return "";
    std::vector<wchar_t> path(n + 1);
    if (GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()) == 0)
        return "";
    return utf8_text(path.data());
}

bool stderr_is_terminal()
{
    return _isatty(_fileno(stderr)) != 0;
}

void end_after_broken_pipe()
{
    // No signal for it here: a quiet end with the status of a failed write.
    std::_Exit(1);
}

namespace {

// A variable set unless the player set it already.
void default_variable(const char *name, const char *value)
{
    const char *now = std::getenv(name);
    if (now == nullptr)
        _putenv_s(name, value);
}

// The folder the program itself is in, with its data files and layouts.
std::wstring program_folder()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return L"";
        if (n < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring full = path.data();
    const size_t slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : full.substr(0, slash);
}

bool ends_with(const std::wstring &name, const wchar_t *ending)
{
    const size_t n = wcslen(ending);
    return name.size() > n && _wcsicmp(name.c_str() + name.size() - n, ending) == 0;
}

// The program's data files copied over those in the player's folder (they belong to the
// program, so a newer program brings its own); its layouts copied only where the player's
// folder has none of that name, so that a layout the player saved is never lost.
void copy_program_files(const std::wstring &from, const std::wstring &to)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const bool layout = ends_with(name, L".lyt");
        const bool data = ends_with(name, L".dat") || ends_with(name, L".tga");
        if (layout || data)
            CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(),
                      layout ? TRUE : FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::wstring log_path;

// At the end, a player who has no terminal is told where the game's messages went.
void name_the_log()
{
    std::fflush(stderr);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (log_path.empty() ||
        !GetFileAttributesExW(log_path.c_str(), GetFileExInfoStandard, &data) ||
        (data.nFileSizeLow == 0 && data.nFileSizeHigh == 0))
        return;
    const std::wstring text = L"tilestack wrote messages to " + log_path + L".";
    MessageBoxW(nullptr, text.c_str(), L"tilestack", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void prepare_game_process()
{
    default_variable("TILESTACK_IDLE", "wait");
    default_variable("TILESTACK_SCALE", "auto");
    const wchar_t *appdata = _wgetenv(L"APPDATA");
    if (appdata == nullptr || *appdata == L'\0')
        return;  // no per-user folder: the game runs where it was started
    const std::wstring folder = std::wstring(appdata) + L"\\tilestack";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return;
    copy_program_files(program_folder(), folder);
    if (!SetCurrentDirectoryW(folder.c_str()))
        return;
    // Standard error of a windowed program goes nowhere: it is kept in the log instead, begun
    // afresh at each start.
    if (!stderr_is_terminal()) {
        log_path = folder + L"\\tilestack.log";
        if (_wfreopen(log_path.c_str(), L"w", stderr) != nullptr) {
            std::setvbuf(stderr, nullptr, _IONBF, 0);
            std::atexit(name_the_log);
        } else {
            log_path.clear();
        }
    }
}

StandardOutputSetAside::StandardOutputSetAside()
{
    std::fflush(stdout);
    kept_ = _dup(_fileno(stdout));
    nowhere_ = _open("NUL", _O_WRONLY);
    if (kept_ >= 0 && nowhere_ >= 0)
        _dup2(nowhere_, _fileno(stdout));
}

StandardOutputSetAside::~StandardOutputSetAside()
{
    std::fflush(stdout);
    if (kept_ >= 0 && nowhere_ >= 0)
        _dup2(kept_, _fileno(stdout));
    if (nowhere_ >= 0)
        _close(nowhere_);
    if (kept_ >= 0)
        _close(kept_);
}
