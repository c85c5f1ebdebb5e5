// Datafiles built byte by byte in the library's format, for tests of the font file checks
// and of start-up.
#pragma once

#include <utility>
#include <vector>

namespace datafile_bytes {

using Bytes = std::vector<unsigned char>;

void put_be16(Bytes &b, unsigned v);
void put_be32(Bytes &b, unsigned v);
void put_id(Bytes &b, const char *id);

// A one-colour font of the characters first..last, each glyph w x h, in the library's
// current font format.
Bytes font_object(int first, int last, int w, int h);

// An object as a datafile stores it unpacked: its type, its size twice, its bytes.
void put_object(Bytes &b, const char *type, const Bytes &data);

// A datafile as stored: the unpacked mark, the datafile mark, the objects.
Bytes datafile(const std::vector<std::pair<const char *, Bytes>> &objects);

}  // namespace datafile_bytes
