// The boards the title screen offers: any of the three shapes the game picks at random (the
// first choice), the shipped boards listed in gallery.txt in their order, then the player's own
// layout files of the game's folder by file name. A board's name is the first line of the file
// beside it with the same stem and the extension .name; without one it goes by its file name.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct GalleryBoard {
    std::string file;   // the layout file, in the game's folder; empty for any of the three
    std::string name;   // what the title shows
    std::string fault;  // why it cannot be played, or empty when it can
};

// The file that lists the shipped boards, one layout file name a line, in the game's folder.
constexpr const char *gallery_list_file = "gallery.txt";
// What the first choice, the random one, is called.
constexpr const char *any_of_three_name = "any of three";

// The order of the boards from the text of gallery.txt and the names of the .lyt files found in
// the folder (in any order): any of the three first, then each listed name once (blank lines,
// names with a folder in them and the three random ones left out), then the other files found
// by name, but for the three. Gives the file names, "" for any of the three.
std::vector<std::string> gallery_order(const std::string &list_text,
                                       const std::vector<std::string> &found);

// Why a layout file of `size` bytes, whose first 504 are `bytes`, cannot be played, or "" when
// it can: not 504 bytes, no piece, an odd count, a piece resting on nothing.
std::string layout_fault(const unsigned char *bytes, long long size);

// The name a side file's text gives (its first line, trimmed), or "" for none.
std::string side_file_name(const std::string &text);

// The side file of a layout file: butterfly.lyt -> butterfly.name.
std::string side_file_of(const std::string &layout_file);

// Every board of the folder `folder` ("" for the working folder), read now: its name and
// whether it can be played.
std::vector<GalleryBoard> read_gallery(const std::string &folder = "");

// Checks the board again as it is now in its file (a file may change while the game runs).
void recheck_board(GalleryBoard &board, const std::string &folder = "");

// The board chosen on the title screen, kept from one visit of the title to the next.
class GalleryChoice {
public:
    explicit GalleryChoice(std::string folder = "") : folder_(std::move(folder)) {}

    // Steps `by` boards on (-1 back), wrapping around. The folder is read again each time, so
    // a file saved meanwhile is offered; the board chosen stays chosen while it is there.
    void step(int by);
    // The board chosen: any of the three until a step.
    const GalleryBoard &board() const { return boards_[chosen_]; }
    // A step has been made: the title shows the choice.
    bool stepped() const { return stepped_; }
    // Whether the board chosen can be played as its file is now (its fault is updated).
    bool playable();
    // Its file, in the folder, or "" for any of the three.
    std::string path() const;

private:
    std::string folder_;
    std::vector<GalleryBoard> boards_{{"", any_of_three_name, ""}};
    std::size_t chosen_ = 0;
    bool stepped_ = false;
};
