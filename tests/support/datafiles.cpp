#include "support/datafiles.h"

namespace datafile_bytes {

void put_be16(Bytes &b, unsigned v)
{
    b.push_back((v >> 8) & 0xFF);
    b.push_back(v & 0xFF);
}

void put_be32(Bytes &b, unsigned v)
{
    put_be16(b, v >> 16);
    put_be16(b, v & 0xFFFF);
}

void put_id(Bytes &b, const char *id) { b.insert(b.end(), id, id + 4); }

Bytes font_object(int first, int last, int w, int h)
{
    Bytes f;
    put_be16(f, 0);  // current format
    put_be16(f, 1);  // one range
    f.push_back(1);  // one colour
    put_be32(f, first);
    put_be32(f, last);
    for (int c = first; c <= last; c++) {
        put_be16(f, w);
        put_be16(f, h);
        for (int i = 0; i < (w + 7) / 8 * h; i++)
            f.push_back(static_cast<unsigned char>(c * 37 + i));
    }
    return f;
}

void put_object(Bytes &b, const char *type, const Bytes &data)
{
    put_id(b, type);
    put_be32(b, data.size());
    put_be32(b, data.size());
    b.insert(b.end(), data.begin(), data.end());
}

Bytes datafile(const std::vector<std::pair<const char *, Bytes>> &objects)
{
    Bytes b;
    put_id(b, "slh.");
    put_id(b, "ALL.");
    put_be32(b, objects.size());
    for (const auto &[type, data] : objects)
        put_object(b, type, data);
    return b;
}

}  // namespace datafile_bytes
