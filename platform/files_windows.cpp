// The files of platform/files.h on Windows. Paths are UTF-8 in the game and go to the system
// as UTF-16, so that names with letters outside ASCII (a user folder such as C:\Users\Zoë)
// work in every call.
#include "platform/files.h"
#include "platform/text_windows.h"

#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

bool attributes_of(const char *path, WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return GetFileAttributesExW(wide_text(path).c_str(), GetFileExInfoStandard, &data) != 0;
}

long long size_of(const WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool fail(std::string *why, const std::string &what)
{
    if (why)
        *why = what;
    return false;
}

// What went wrong in the last system call, as the system says it (in UTF-8).
std::string last_error_text()
{
    const DWORD code = GetLastError();
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0,
                                   nullptr);
    std::wstring said = n > 0 && text ? std::wstring(text, n) : L"";
    if (text)
        LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' ||
                             said.back() == L' ' || said.back() == L'.'))
        said.pop_back();
    return said.empty() ? "error " + std::to_string(code) : utf8_text(said);
}

}  // namespace

FileFacts file_facts(const char *path)
{
    FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes_of(path, data))
        return facts;
    facts.exists = true;
    facts.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.regular = !facts.folder && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    if (facts.regular)
        facts.size = size_of(data);
    return facts;
}

std::FILE *open_regular_file(const char *path, long long *size)
{
    // Sharing reads and writes lets another program keep the file open meanwhile; a device or
    // a named pipe opens as a handle that is not a disk file, and is refused before any read.
    HANDLE handle = CreateFileW(wide_text(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER length;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length)) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "rb");
    if (!file) {
        _close(fd);
        return nullptr;
    }
    if (size)
        *size = length.QuadPart;
    return file;
}

bool replace_file(const char *path, const unsigned char *bytes, std::size_t size,
                  std::string *why)
{
    const std::wstring target = wide_text(path);
    const DWORD old = GetFileAttributesW(target.c_str());
    const bool replacing = old != INVALID_FILE_ATTRIBUTES;
    if (replacing && (old & FILE_ATTRIBUTE_DIRECTORY))
        return fail(why, "it is a folder");
    if (replacing && (old & FILE_ATTRIBUTE_DEVICE))
        return fail(why, not_a_regular_file);

    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
    const std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    // A new file of its own beside the old one (CREATE_NEW never opens an existing file), so
    // the move can only ever put this write in place of the target.
    std::wstring temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; attempt++) {
        temporary = folder + L"." + name + L"." +
                    std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
        handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (handle == INVALID_HANDLE_VALUE)
        return fail(why, "cannot create a file in its folder: " + last_error_text());

    std::string failed;
    while (failed.empty() && size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle, bytes, chunk, &written, nullptr) || written == 0)
            failed = "cannot write it: " + last_error_text();
        bytes += written;
        size -= written;
    }
    if (failed.empty() && !FlushFileBuffers(handle))
        failed = "cannot write it: " + last_error_text();
    if (!CloseHandle(handle) && failed.empty())
        failed = "cannot write it: " + last_error_text();
    // A file another program holds open without sharing its deletion cannot be replaced: the
    // move fails and the old file stays as it was.
    if (failed.empty() &&
        !MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        failed = "cannot put it in place of the old file: " + last_error_text();
    if (failed.empty())
        return true;
    DeleteFileW(temporary.c_str());
    return fail(why, failed);
}

bool may_create_files_in(const char *folder)
{
    const std::wstring wide = wide_text(folder);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The system's access rules are best asked by trying: a file made and removed at once.
    std::wstring probe = wide;
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/')
        probe += L'\\';
    probe += L".tilestack-probe-" + std::to_wstring(GetCurrentProcessId());
    HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

bool same_file(const char *a, const char *b)
{
    if (std::strcmp(a, b) == 0)
        return true;
    BY_HANDLE_FILE_INFORMATION ia, ib;
    bool same = false;
    HANDLE ha = CreateFileW(wide_text(a).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                            FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr);
    HANDLE hb = CreateFileW(wide_text(b).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                            FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                            nullptr);
    if (ha != INVALID_HANDLE_VALUE && hb != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandle(ha, &ia) && GetFileInformationByHandle(hb, &ib))
        same = ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
               ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    if (ha != INVALID_HANDLE_VALUE)
        CloseHandle(ha);
    if (hb != INVALID_HANDLE_VALUE)
        CloseHandle(hb);
    return same;
}
