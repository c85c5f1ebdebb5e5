#include "play/gallery.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "board/constants.h"
#include "board/layout.h"
#include "platform/files.h"

namespace {

const std::string extension = ".lyt";

bool is_random_one(const std::string &name)
{
    for (int i = 0; i < layout_file_count; i++) {
        char random_name[16];
        std::snprintf(random_name, sizeof random_name, layout_file_format, i);
        if (name == random_name)
            return true;
    }
    return false;
}

std::string trimmed(const std::string &s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    std::size_t a = 0, b = s.size();
    while (a < b && blank(s[a]))
        a++;
    while (b > a && blank(s[b - 1]))
        b--;
    return s.substr(a, b - a);
}

// The start of a small text file (a list, a name): nothing that is not a regular file is read,
// and no more than `limit` bytes.
std::string read_text(const std::string &path, std::size_t limit)
{
    std::FILE *file = open_regular_file(path.c_str());
    if (!file)
        return "";
    std::string text(limit, '\0');
    text.resize(std::fread(&text[0], 1, limit, file));
    std::fclose(file);
    return text;
}

std::string in_folder(const std::string &folder, const std::string &file)
{
    return folder.empty() ? file : folder + "/" + file;
}

// Why the file at `path` cannot be played, or "".
std::string file_fault(const std::string &path)
{
    long long size = 0;
    std::FILE *file = open_regular_file(path.c_str(), &size);
    if (!file) {
        const FileFacts facts = file_facts(path.c_str());
        return facts.exists ? not_a_regular_file : "the file is missing";
    }
    unsigned char bytes[Layout::cell_count];
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    if (got < sizeof bytes && size >= Layout::cell_count)
        return "it cannot be read";
    return layout_fault(bytes, size);
}

}  // namespace

std::vector<std::string> gallery_order(const std::string &list_text,
                                       const std::vector<std::string> &found)
{
    std::vector<std::string> order{""};
    std::set<std::string> taken;
    std::size_t at = 0;
    while (at <= list_text.size()) {
        std::size_t end = list_text.find('\n', at);
        if (end == std::string::npos)
            end = list_text.size();
        const std::string name = trimmed(list_text.substr(at, end - at));
        at = end + 1;
        if (name.empty() || name.find('/') != std::string::npos ||
            name.find('\\') != std::string::npos || is_random_one(name) || taken.count(name))
            continue;
        taken.insert(name);
        order.push_back(name);
    }
    std::vector<std::string> own;
    for (const std::string &name : found)
        if (!is_random_one(name) && !taken.count(name))
            own.push_back(name);
    std::sort(own.begin(), own.end());
    own.erase(std::unique(own.begin(), own.end()), own.end());
    order.insert(order.end(), own.begin(), own.end());
    return order;
}

std::string layout_fault(const unsigned char *bytes, long long size)
{
    if (size != Layout::cell_count)
        return "it is " + std::to_string(size) + " bytes, not " +
               std::to_string(Layout::cell_count);
    Layout board;
    for (int i = 0; i < Layout::cell_count; i++)
        board.set_cell(i, bytes[i]);
    if (board.count == 0)
        return "it holds no piece";
    if (board.count % 2 != 0)
        return "its count of pieces is odd (" + std::to_string(board.count) + ")";
    for (int i = 0; i < Layout::cell_count; i++) {
        const CellPosition p = Layout::position(i);
        if (board.cell(i) != 0 && !board.is_supported(p.x, p.y, p.z))
            return "a piece rests on nothing";
    }
    return "";
}

std::string side_file_name(const std::string &text)
{
    return trimmed(text.substr(0, text.find('\n')));
}

std::string side_file_of(const std::string &layout_file)
{
    std::string stem = layout_file;
    if (stem.size() >= extension.size() &&
        stem.compare(stem.size() - extension.size(), extension.size(), extension) == 0)
        stem.resize(stem.size() - extension.size());
    return stem + ".name";
}

std::vector<GalleryBoard> read_gallery(const std::string &folder)
{
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            found.push_back(name);
    }
    const std::string list = read_text(in_folder(folder, gallery_list_file), 1 << 16);
    std::vector<GalleryBoard> boards;
    for (const std::string &file : gallery_order(list, found)) {
        GalleryBoard board{file, file.empty() ? any_of_three_name : file, ""};
        if (!file.empty())
            recheck_board(board, folder);
        boards.push_back(board);
    }
    return boards;
}

void recheck_board(GalleryBoard &board, const std::string &folder)
{
    if (board.file.empty())
        return;
    const std::string path = in_folder(folder, board.file);
    board.fault = file_fault(path);
    // A name of a reasonable length: the title has one line for it.
    std::string name = side_file_name(read_text(in_folder(folder, side_file_of(board.file)), 256));
    if (name.size() > 40) {
        std::size_t cut = 40;  // not inside a character of several bytes
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            cut--;
        name.resize(cut);
    }
    board.name = name.empty() ? board.file : name;
}

void GalleryChoice::step(int by)
{
    const std::string file = board().file;
    boards_ = read_gallery(folder_);
    chosen_ = 0;
    for (std::size_t i = 0; i < boards_.size(); i++)
        if (boards_[i].file == file)
            chosen_ = i;
    const long n = static_cast<long>(boards_.size());
    chosen_ = static_cast<std::size_t>(((static_cast<long>(chosen_) + by) % n + n) % n);
    stepped_ = true;
}

bool GalleryChoice::playable()
{
    recheck_board(boards_[chosen_], folder_);
    return boards_[chosen_].fault.empty();
}

std::string GalleryChoice::path() const
{
    return board().file.empty() ? "" : in_folder(folder_, board().file);
}
