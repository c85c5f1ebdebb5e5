// Reading the arguments of tilestack-layout: files, "--name value" options and numbers.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "layout/tool.h"

namespace layout_tool {

namespace {

// A whole number from min to max, or false.
bool parse_number(const std::string &text, long min, long max, long &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    value = v;
    return true;
}

}  // namespace

int bad_arguments(const std::string &message)
{
    std::fprintf(stderr, "tilestack-layout: %s\n(try 'tilestack-layout --help')\n",
                 message.c_str());
    return 2;
}

std::string split_arguments(const std::string &command, const std::vector<std::string> &args,
                            const std::set<std::string> &allowed, Arguments &out)
{
    for (size_t i = 0; i < args.size(); i++) {
        const std::string &a = args[i];
        if (a.empty() || a[0] != '-') {
            out.files.push_back(a);
        } else if (!allowed.count(a)) {
            return "unknown option '" + a + "' for " + command;
        } else if (i + 1 >= args.size()) {
            return a + " needs a value";
        } else {
            out.options[a] = args[++i];
        }
    }
    return "";
}

std::string number_option(const Arguments &a, const std::string &name, long min, long max,
                          long &value)
{
    auto it = a.options.find(name);
    if (it == a.options.end() || parse_number(it->second, min, max, value))
        return "";
    return name + " takes a whole number from " + std::to_string(min) + " to " +
           std::to_string(max);
}

bool parse_percent(const std::string &text, double &value)
{
    if (text.empty() || text.size() > 12)
        return false;
    char *end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v >= 0 && v <= 100))
        return false;
    value = v;
    return true;
}

}  // namespace layout_tool
