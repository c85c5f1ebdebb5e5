// The blank piece: an ivory slab on a darker base, lit from the top left.
#include "art/art.h"

namespace art {

namespace {

const Colour ivory = rgb(246, 240, 222);
const Colour ivory_light = rgb(255, 253, 244);
const Colour ivory_shade = rgb(214, 202, 170);
const Colour slab_side = rgb(196, 180, 140);
const Colour base_side = rgb(38, 104, 98);
const Colour edge = rgb(46, 40, 32);

// The outline of the top face, moved t of the way along the piece's thickness.
Shape face_at(double t)
{
    double dx = (piece_width - face_width) * t, dy = (piece_height - face_height) * t;
    return box(0.5 + dx, 0.5 + dy, face_width - 0.5 + dx, face_height - 0.5 + dy, 3.5);
}

// The solid swept by the face between two depths.
Shape slab(double from, double to)
{
    std::vector<Shape> steps;
    for (int i = 0; i <= 8; i++)
        steps.push_back(face_at(from + (to - from) * i / 8.0));
    return unite(steps);
}

}  // namespace

Colour face_colour() { return ivory; }

void paint_piece(Canvas &c)
{
    // The base first, with the dark outline around the whole piece.
    c.sticker(slab(0.45, 1.0), base_side, edge, 1.0);
    c.fill(slab(0.0, 0.5), slab_side);
    // A darker line where the ivory slab meets the base.
    c.fill(outline(face_at(0.5), 0.35), darker(slab_side, 0.35), 0.6);

    Shape face = face_at(0);
    c.fill(grow(face, 0.6), darker(slab_side, 0.45));
    c.fill(face, ivory_shade);
    // A light rim along the top and left, shade along the bottom and right, plain in between.
    c.fill(intersect(face, moved(face, -1.2, -1.2)), ivory_light);
    c.fill(intersect(moved(face, -1.2, -1.2), moved(face, 1.2, 1.2)), ivory);
}

Canvas piece_face()
{
    Canvas c(piece_width, piece_height);
    paint_piece(c);
    return c;
}

}  // namespace art
