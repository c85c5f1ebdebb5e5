// What the commands of tilestack-layout share: the command table's entries, reading the
// arguments, reading and writing layout files, and the rating settings that rate, generate
// and improve read alike.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "board/layout.h"
#include "solve/rating.h"

namespace layout_tool {

// One command: its name, its help text, how many arguments it takes and what runs it.
struct Command {
    const char *name;
    const char *help;
    int min_args;
    int max_args;  // -1: no limit
    int (*run)(const std::vector<std::string> &args);
};

// The commands, each in a file of its own family: inspect.cpp, rate.cpp and search.cpp.
extern const Command show_command, check_command, from_text_command, to_text_command;
extern const Command rate_command;
extern const Command generate_command, improve_command;

// Says what is wrong with the arguments; the status is 2.
int bad_arguments(const std::string &message);

// The arguments of a command that rates shapes: its files and its "--name value" options.
struct Arguments {
    std::vector<std::string> files;
    std::map<std::string, std::string> options;
};

// Splits arguments into files and options of the names allowed; gives a message or "".
std::string split_arguments(const std::string &command, const std::vector<std::string> &args,
                            const std::set<std::string> &allowed, Arguments &out);

// The whole-number option `name`, from min to max; `value` keeps its default when the
// option is not given. Gives a message or "".
std::string number_option(const Arguments &a, const std::string &name, long min, long max,
                          long &value);

// A share in percent from 0 to 100, such as 95 or 97.5.
bool parse_percent(const std::string &text, double &value);

// Why `path` cannot be read as a layout file at all, or "": only a regular file is opened,
// so a pipe or a device is refused at once instead of waited on.
std::string unreadable_reason(const std::string &path);

// Whether a command takes a layout file with no pieces in it.
enum class Pieces { any, needed };

// Loads a layout file as the game does, refusing one with no pieces when they are needed;
// the status to exit with (after saying why it cannot be used) or 0.
int load_layout_file(const std::string &path, Layout &shape, Pieces pieces);

// Writes a layout file; the status to exit with (after saying it cannot be written) or 0.
int save_layout_file(const Layout &shape, const std::string &path);

// Says that `path` cannot be written and why (the old file, if any, is as it was); the status
// to exit with.
int cannot_write(const std::string &path, const std::string &why);

// How deals are rated, as --deals, --seed, --nodes, --more-nodes and --symbols or --strip
// give it.
struct RatingSettings {
    long deals = 1000;
    long seed = 1;
    long symbols = -1;
    long nodes = 20000;
    long more_nodes = RatingOptions::default_second_node_limit;  // 0: no second look
    long threads = 0;  // 0: one per core
};

// The options of every command that rates: --deals, --seed, --symbols, --strip, --nodes,
// --more-nodes and --threads.
extern const std::set<std::string> rating_option_names;

// Hands the rating settings to the options of a rating or of a search, which name them alike.
template <typename Options>
void apply_rating_settings(const RatingSettings &s, Options &options)
{
    options.deals = static_cast<int>(s.deals);
    options.seed = static_cast<unsigned>(s.seed);
    options.symbols = static_cast<int>(s.symbols);
    options.node_limit = s.nodes;
    options.second_node_limit = s.more_nodes;
    options.threads = static_cast<int>(s.threads);
}

// Reads the rating settings; the status to exit with on a problem (after saying what it
// is), or 0.
int read_rating_settings(const Arguments &a, RatingSettings &s);

// Prints a rating as rate gives it: the file, its pieces, the settings and the four shares.
void print_rating(const std::string &file, int pieces, const Rating &r, const RatingSettings &s);

}  // namespace layout_tool
