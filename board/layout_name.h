// A board's name travels beside its layout file, in a side file of the same stem:
// butterfly.lyt is named by the first line of butterfly.name (UTF-8, as board_name_problem
// allows; a line end of "\n" or "\r\n"). The 504-byte layout file itself holds cells only.
#pragma once

#include <string>

// The side file that names the layout file at `layout_path`: its extension (".lyt" or any
// other) replaced by ".name", or ".name" added when it has none.
std::string name_file_for(const std::string &layout_path);

// The name of the layout file at `layout_path`, from its side file; "" when there is none, it
// cannot be read (only a regular file is opened), or its first line is no board name.
std::string read_layout_name(const std::string &layout_path);

// Writes `name` as the side file of the layout file at `layout_path` (a new file renamed
// over any old one); false with the reason in `why` when it cannot be written.
bool write_layout_name(const std::string &layout_path, const std::string &name,
                       std::string *why = nullptr);
