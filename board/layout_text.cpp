#include "board/layout_text.h"

#include <cctype>
#include <sstream>

std::string layout_to_text(const Layout &source)
{
    std::ostringstream out;
    out << "# tilestack layout: " << source.count << " pieces\n";
    for (int z = 0; z < Layout::layers; z++) {
        bool used = false;
        for (int i = 0; i < Layout::columns * Layout::rows; i++)
            used = used || source.cell(Layout::index(0, 0, z) + i) != 0;
        if (!used)
            continue;
        out << "layer " << z << "\n";
        for (int y = 0; y < Layout::rows; y++) {
            for (int x = 0; x < Layout::columns; x++) {
                int v = source.get(x, y, z);
                if (v == 0)
                    out << '.';
                else if (v == 1)
                    out << 'o';
                else
                    out << '[' << v << ']';
            }
            out << "\n";
        }
    }
    return out.str();
}

std::string layout_to_text(const Layout &source, const std::string &name)
{
    if (name.empty())
        return layout_to_text(source);
    return "name: " + name + "\n" + layout_to_text(source);
}

std::string board_name_problem(const std::string &name)
{
    if (name.empty())
        return "the name is empty";
    if (name.size() > static_cast<size_t>(board_name_max_bytes))
        return "the name is longer than " + std::to_string(board_name_max_bytes) + " bytes";
    if (name.front() == ' ' || name.back() == ' ')
        return "the name starts or ends with a space";
    for (size_t p = 0; p < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[p]);
        if (c < 0x20 || c == 0x7f)
            return "the name holds a control character";
        // The bytes that follow a lead byte, and the least value the sequence may encode
        // (so that no character is spelt longer than it needs).
        int follow = c < 0x80 ? 0 : c >= 0xc2 && c < 0xe0 ? 1 : c >= 0xe0 && c < 0xf0 ? 2
                   : c >= 0xf0 && c < 0xf5 ? 3 : -1;
        if (follow < 0 || p + follow >= name.size())
            return "the name is not well-formed UTF-8";
        unsigned long code = follow == 0 ? c : c & (0x3f >> follow);
        for (int i = 1; i <= follow; i++) {
            const unsigned char f = static_cast<unsigned char>(name[p + i]);
            if ((f & 0xc0) != 0x80)
                return "the name is not well-formed UTF-8";
            code = code << 6 | (f & 0x3f);
        }
        const unsigned long least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[follow] || code > 0x10ffff || (code >= 0xd800 && code < 0xe000))
            return "the name is not well-formed UTF-8";
        if (code >= 0x80 && code < 0xa0)
            return "the name holds a control character";
        p += follow + 1;
    }
    return "";
}

namespace {

// Parses one grid row of exactly 12 cells; false with a message otherwise.
bool parse_row(const std::string &line, int values[Layout::columns], std::string &why)
{
    int x = 0;
    for (size_t p = 0; p < line.size();) {
        char c = line[p];
        if (std::isspace(static_cast<unsigned char>(c))) {
            p++;
            continue;
        }
        if (x == Layout::columns) {
            why = "more than 12 cells in the row";
            return false;
        }
        if (c == '.' || c == 'o') {
            values[x++] = c == 'o';
            p++;
        } else if (c == '[') {
            size_t close = line.find(']', p);
            std::string digits = close == std::string::npos ? "" : line.substr(p + 1, close - p - 1);
            bool numeric = !digits.empty() && digits.size() <= 3;
            for (char d : digits)
                numeric = numeric && std::isdigit(static_cast<unsigned char>(d));
            int v = numeric ? std::stoi(digits) : -1;
            if (v < 0 || v > 255) {
                why = "a bracketed cell must hold a number from 0 to 255";
                return false;
            }
            values[x++] = v;
            p = close + 1;
        } else {
            why = std::string("unexpected character '") + c + "'";
            return false;
        }
    }
    if (x != Layout::columns) {
        why = "a row needs 12 cells, this one has " + std::to_string(x);
        return false;
    }
    return true;
}

bool is_blank_or_comment(const std::string &line)
{
    size_t p = line.find_first_not_of(" \t\r");
    return p == std::string::npos || line[p] == '#';
}

}  // namespace

bool layout_from_text(const std::string &text, Layout &result, std::string &error)
{
    std::string name;
    return layout_from_text(text, result, error, name);
}

bool layout_from_text(const std::string &text, Layout &result, std::string &error,
                      std::string &name)
{
    std::string named;
    bool layers_begun = false;
    Layout parsed;
    parsed.clear();
    bool seen[Layout::layers] = {};
    int layer = -1;   // layer whose rows are being read, or -1 between layers
    int row = 0;
    int line_number = 0;
    std::istringstream in(text);
    std::string line;
    auto fail = [&](const std::string &why) {
        error = "line " + std::to_string(line_number) + ": " + why;
        return false;
    };

    while (std::getline(in, line)) {
        line_number++;
        if (is_blank_or_comment(line))
            continue;
        if (line.compare(0, 5, "name:") == 0) {
            if (layers_begun || !named.empty())
                return fail(layers_begun ? "the name must come before the first layer"
                                         : "the name is given twice");
            size_t first = line.find_first_not_of(" \t", 5);
            size_t last = line.find_last_not_of(" \t\r");
            named = first == std::string::npos ? "" : line.substr(first, last + 1 - first);
            std::string why = board_name_problem(named);
            if (!why.empty())
                return fail(why);
            continue;
        }
        layers_begun = true;
        if (layer < 0) {
            std::istringstream words(line);
            std::string word, extra;
            int z = -1;
            if (!(words >> word >> z) || word != "layer" || (words >> extra))
                return fail("expected \"layer N\"");
            if (z < 0 || z >= Layout::layers)
                return fail("layer must be 0 to 5");
            if (seen[z])
                return fail("layer " + std::to_string(z) + " is given twice");
            seen[z] = true;
            layer = z;
            row = 0;
            continue;
        }
        int values[Layout::columns];
        std::string why;
        if (!parse_row(line, values, why))
            return fail(why);
        for (int x = 0; x < Layout::columns; x++)
            parsed.set(x, row, layer, values[x]);
        if (++row == Layout::rows)
            layer = -1;
    }
    if (layer >= 0)
        return fail("layer " + std::to_string(layer) + " ends after " + std::to_string(row) +
                    " of 7 rows");
    result = parsed;
    name = named;
    return true;
}
