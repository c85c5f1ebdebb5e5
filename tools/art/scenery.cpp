// The two full-screen pictures: the play field and the title.
#include <cmath>

#include "art/art.h"
#include "art/font.h"

namespace art {

Canvas play_field()
{
    Canvas c(640, 480);
    c.cover(vertical_gradient(0, rgb(24, 58, 66), 480, rgb(14, 34, 44)));
    return c;
}

Canvas title_picture(TextRenderer &text)
{
    Canvas c(640, 480);
    c.cover(vertical_gradient(0, rgb(20, 40, 60), 480, rgb(10, 20, 30)));
    double size = 80;
    double w = text.text_width("tilestack", size);
    c.fill(text.text_shape("tilestack", size, 320 - w / 2, 130), rgb(246, 240, 222));
    return c;
}

}  // namespace art
