#include "play/records.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <utility>

#include "platform/files.h"
#include "play/game_clock.h"

namespace {

constexpr long long most = 1000000000;     // no count or time goes beyond it
constexpr long long most_bytes = 1 << 20;  // far more than any folder's boards
const char *const header = "# played cleared clean best run best-run board";

bool number(const std::string &word, long long &out)
{
    if (word.empty() || word.size() > 10 ||
        word.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(word);
    return out <= most;
}

// The text of the file, or false with why.
bool read_all(const std::string &path, std::string &text, bool &missing, std::string &why)
{
    long long size = 0;
    missing = false;
    std::FILE *file = open_regular_file(path.c_str(), &size);
    if (!file) {
        const FileFacts facts = file_facts(path.c_str());
        missing = !facts.exists && errno == ENOENT;
        why = facts.exists ? not_a_regular_file : std::strerror(errno);
        return false;
    }
    if (size > most_bytes) {
        std::fclose(file);
        why = "it is far too large";
        return false;
    }
    text.assign(static_cast<std::size_t>(size), '\0');
    const std::size_t got = std::fread(&text[0], 1, text.size(), file);
    std::fclose(file);
    if (got != text.size()) {
        why = "it cannot be read";
        return false;
    }
    return true;
}

}  // namespace

bool parse_records(const std::string &text, std::map<std::string, BoardRecord> &out,
                   std::string &why)
{
    std::map<std::string, BoardRecord> boards;
    std::istringstream lines(text);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        n++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string w[6];
        BoardRecord r;
        long long *fields[6] = {&r.played, &r.cleared, &r.clean, &r.best, &r.run, &r.best_run};
        bool good = true;
        for (int i = 0; i < 6 && good; i++) {
            words >> w[i];
            good = (i == 3 && w[i] == "-") || number(w[i], *fields[i]);
        }
        if (w[3] == "-")
            r.best = -1;
        std::string file;
        std::getline(words >> std::ws, file);
        if (!good || file.empty() || r.cleared > r.played || r.clean > r.cleared ||
            r.run > r.best_run || r.best_run > r.cleared || (r.clean > 0) != (r.best >= 0) ||
            boards.count(file)) {
            why = "line " + std::to_string(n) + " is not a board's record";
            return false;
        }
        boards[file] = r;
    }
    out = std::move(boards);
    return true;
}

std::string records_text(const std::map<std::string, BoardRecord> &boards)
{
    std::string text = std::string(header) + "\n";
    for (const auto &[file, r] : boards)
        text += std::to_string(r.played) + " " + std::to_string(r.cleared) + " " +
                std::to_string(r.clean) + " " + (r.best < 0 ? "-" : std::to_string(r.best)) +
                " " + std::to_string(r.run) + " " + std::to_string(r.best_run) + " " + file +
                "\n";
    return text;
}

std::string clear_note(const BoardRecord &record, long long seconds)
{
    std::string note = "cleared in " + clock_text(seconds);
    if (record.best >= 0)
        note += ", best " + clock_text(record.best);
    return note;
}

void Records::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    std::string text, why;
    bool missing = false;
    if (read_all(path_, text, missing, why) && parse_records(text, boards_, why))
        return;
    if (missing)
        return;
    // Kept aside under a name no file has, never lost.
    std::string aside = path_ + ".bad";
    for (int i = 2; file_facts(aside.c_str()).exists && i < 1000; i++)
        aside = path_ + ".bad" + std::to_string(i);
    const bool moved = std::rename(path_.c_str(), aside.c_str()) == 0;
    const std::string where = moved ? "kept as " + aside : "left where it is";
    std::fprintf(stderr,
                 "tilestack: the records in %s cannot be read (%s): %s; they start afresh.\n",
                 path_.c_str(), why.c_str(), where.c_str());
}

void Records::add(const std::string &file, bool cleared, bool helped, long long seconds)
{
    load();
    BoardRecord &r = boards_[file];
    auto bump = [](long long &v) { v = v < most ? v + 1 : v; };
    bump(r.played);
    if (cleared) {
        bump(r.cleared);
        bump(r.run);
        r.best_run = std::max(r.best_run, r.run);
        if (!helped) {
            bump(r.clean);
            if (r.best < 0 || seconds < r.best)
                r.best = std::min(seconds, most);
        }
    } else {
        r.run = 0;
    }
    const std::string text = records_text(boards_);
    std::string why;
    if (!replace_file(path_.c_str(), reinterpret_cast<const unsigned char *>(text.data()),
                      text.size(), &why))
        std::fprintf(stderr, "tilestack: could not write the records in %s: %s.\n",
                     path_.c_str(), why.c_str());
}
