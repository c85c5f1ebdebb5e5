// Each board's record, kept in records.txt in the game's folder: a readable text file of one
// line per board, "played cleared clean best run best-run file", where clean counts the clears
// made without help (no hint, no pair put back, not brought back from the title), best is the
// best time of such a clear in seconds ("-" while there is none), run the clears in a row now.
#pragma once

#include <map>
#include <string>

struct BoardRecord {
    long long played = 0, cleared = 0, clean = 0;
    long long best = -1;  // seconds; -1 for none
    long long run = 0, best_run = 0;
};

constexpr const char *records_file = "records.txt";

class Records {
public:
    explicit Records(std::string path = records_file) : path_(std::move(path)) {}

    // Reads the file once; a file that cannot be read is renamed aside (records.txt.bad, or
    // .bad2 and on), said in one line on standard error, and the records start afresh.
    void load();
    // Counts a game of the board `file` that ended, and writes the file.
    void add(const std::string &file, bool cleared, bool helped, long long seconds);
    const std::map<std::string, BoardRecord> &boards() const { return boards_; }

private:
    std::string path_;
    std::map<std::string, BoardRecord> boards_;
    bool loaded_ = false;
};

// The records in a file's text, or false with `why`.
bool parse_records(const std::string &text, std::map<std::string, BoardRecord> &out,
                   std::string &why);
std::string records_text(const std::map<std::string, BoardRecord> &boards);

// What the title says after a clear: "cleared in 4:12, best 3:55".
std::string clear_note(const BoardRecord &record, long long seconds);
