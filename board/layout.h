// The board: a 12 x 7 x 6 grid of one-byte cells, and its 504-byte file format.
#pragma once

#include <string>

// Where a cell lies in the grid.
struct CellPosition {
    int x;  // column, 0 to 11
    int y;  // row, 0 to 6
    int z;  // layer, 0 to 5
};

class Layout {
public:
    static constexpr int columns = 12;
    static constexpr int rows = 7;
    static constexpr int layers = 6;
    static constexpr int cell_count = columns * rows * layers;  // 504, also the file size

    unsigned char cells[cell_count] = {};  // 0 is empty; anything else is a piece
    int count = 0;                         // number of non-zero cells

    static int index(int x, int y, int z) { return x + columns * y + columns * rows * z; }
    static CellPosition position(int i)
    {
        return {i % columns, i / columns % rows, i / (columns * rows)};
    }

    int cell(int i) const { return cells[i]; }
    int get(int x, int y, int z) const { return cell(index(x, y, z)); }

    // The support rule: a piece may rest only on the bottom layer or directly on another
    // piece. The editor's strokes, the layout generator and the checks all keep to it.
    bool is_supported(int x, int y, int z) const { return z == 0 || get(x, y, z - 1) != 0; }

    // Stores a value and keeps count in step with the number of occupied cells.
    void set_cell(int i, int value)
    {
        if (cells[i] == 0 && value != 0)
            count++;
        else if (cells[i] != 0 && value == 0)
            count--;
        cells[i] = static_cast<unsigned char>(value);
    }
    void set(int x, int y, int z, int value) { set_cell(index(x, y, z), value); }

    void clear()
    {
        for (unsigned char &c : cells)
            c = 0;
        count = 0;
    }

    // Replaces the cells from a layout file. All or nothing: a file that is missing,
    // unreadable or shorter than 504 bytes leaves the layout as it was and gives false.
    bool load(const char *path);

    // Writes the cells to a layout file. The old file is replaced only once the new one is
    // completely written; on any failure it is left intact, no temporary file is left and the
    // result is false. Through a symbolic link the file it leads to is written and the link
    // stays; the file keeps its permission bits. `why`, when given, says what failed.
    bool save(const char *path, std::string *why = nullptr) const;
};

extern Layout layout;  // the one board, shared by the editor, dealing, play and drawing
