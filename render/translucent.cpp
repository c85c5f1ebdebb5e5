#include "render/translucent.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEIL_X86 1
#else
#define VEIL_X86 0
#endif

// Every form computes, for each field of each pixel,
//     new = floor(old * keep / M) + share,   keep = M - f,   share = floor(colour * f / M)
// with M = 32 and f = 1..31 at 15 and 16 bits, M = 256 and f = 2..255 at 32 bits. The sum
// never exceeds the field's maximum, so fields never carry into each other, and bits outside
// the fields (bit 15 at 15 bits, the top byte at 32 bits) come out 0.
//
// The fields are taken in two groups that cannot collide when multiplied: the outer two
// (with a gap as wide as the middle one between them) and the middle one. Multiplying a group,
// left in place under its mask, by keep and shifting right by log2(M) puts floor(field * keep
// / M) of each field back in place, with the low bits of the products below the fields,
// where the mask clears them. In 16-bit lanes the same is one high multiply by
// keep << (16 - log2(M)).

namespace {

struct Veil {
    int pixel_bytes;       // 2 or 4
    std::uint32_t outer;   // mask of the highest and lowest field
    std::uint32_t middle;  // mask of the middle field
    std::uint32_t keep;    // M - f: the weight of what lies beneath
    std::uint32_t share;   // the colour's share of every field, packed as a pixel
};

// ---- Plain form ------------------------------------------------------------------------

template <typename Pixel, int log2_modulus>
void plain_run(unsigned char *run, std::size_t n, const Veil &v)
{
    auto *p = reinterpret_cast<Pixel *>(run);
    for (std::size_t i = 0; i < n; i++) {
        const std::uint32_t old = p[i];
        const std::uint32_t outer = (((old & v.outer) * v.keep) >> log2_modulus) & v.outer;
        const std::uint32_t middle = (((old & v.middle) * v.keep) >> log2_modulus) & v.middle;
        p[i] = static_cast<Pixel>(outer + middle + v.share);
    }
}

#if VEIL_X86

// Runs a vector kernel over n consecutive pixels: whole vectors in place from the first
// aligned address on, and the pieces before it and after the last whole vector through a
// scratch vector, so the kernel never reads or writes outside the run.
using VectorKernel = void (*)(unsigned char *p, std::size_t vectors, const Veil &v);

void run_vectors(unsigned char *run, std::size_t n, int vector_bytes, VectorKernel kernel,
                 const Veil &v)
{
    std::size_t bytes = n * v.pixel_bytes;
    auto address = reinterpret_cast<std::uintptr_t>(run);
    std::size_t head = (vector_bytes - address % vector_bytes) % vector_bytes;
    if (head % v.pixel_bytes != 0)  // pixels not on pixel boundaries: do not align
        head = 0;
    head = std::min(head, bytes);

    auto piece = [&](unsigned char *p, std::size_t count) {
        if (count == 0)
            return;
        alignas(64) unsigned char scratch[64] = {};
        std::memcpy(scratch, p, count);
        kernel(scratch, 1, v);
        std::memcpy(p, scratch, count);
    };

    piece(run, head);
    unsigned char *p = run + head;
    bytes -= head;
    std::size_t vectors = bytes / vector_bytes;
    kernel(p, vectors, v);
    p += vectors * vector_bytes;
    piece(p, bytes - vectors * vector_bytes);
}

// ---- SSE2 form: 8 pixels of 16 bits or 4 of 32 bits per step ---------------------------

void sse2_kernel16(unsigned char *p, std::size_t vectors, const Veil &v)
{
    const __m128i outer_mask = _mm_set1_epi16(static_cast<short>(v.outer));
    const __m128i middle_mask = _mm_set1_epi16(static_cast<short>(v.middle));
    const __m128i keep = _mm_set1_epi16(static_cast<short>(v.keep << 11));
    const __m128i share = _mm_set1_epi16(static_cast<short>(v.share));
    for (std::size_t i = 0; i < vectors; i++, p += 16) {
        __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        __m128i outer = _mm_and_si128(
            _mm_mulhi_epu16(_mm_and_si128(old, outer_mask), keep), outer_mask);
        __m128i middle = _mm_and_si128(
            _mm_mulhi_epu16(_mm_and_si128(old, middle_mask), keep), middle_mask);
        __m128i out = _mm_add_epi16(_mm_or_si128(outer, middle), share);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), out);
    }
}

void sse2_kernel32(unsigned char *p, std::size_t vectors, const Veil &v)
{
    const __m128i outer_mask = _mm_set1_epi32(static_cast<int>(v.outer));
    const __m128i middle_mask = _mm_set1_epi32(static_cast<int>(v.middle));
    const __m128i keep = _mm_set1_epi16(static_cast<short>(v.keep << 8));
    const __m128i share = _mm_set1_epi32(static_cast<int>(v.share));
    for (std::size_t i = 0; i < vectors; i++, p += 16) {
        __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        __m128i outer = _mm_mulhi_epu16(_mm_and_si128(old, outer_mask), keep);
        __m128i middle = _mm_and_si128(
            _mm_mulhi_epu16(_mm_and_si128(old, middle_mask), keep), middle_mask);
        __m128i out = _mm_add_epi32(_mm_or_si128(outer, middle), share);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), out);
    }
}

// ---- AVX2 form: 16 pixels of 16 bits or 8 of 32 bits per step --------------------------
// Compiled for AVX2 here alone; only called when the processor reports AVX2.

__attribute__((target("avx2"))) void avx2_kernel16(unsigned char *p, std::size_t vectors,
                                                   const Veil &v)
{
    const __m256i outer_mask = _mm256_set1_epi16(static_cast<short>(v.outer));
    const __m256i middle_mask = _mm256_set1_epi16(static_cast<short>(v.middle));
    const __m256i keep = _mm256_set1_epi16(static_cast<short>(v.keep << 11));
    const __m256i share = _mm256_set1_epi16(static_cast<short>(v.share));
    for (std::size_t i = 0; i < vectors; i++, p += 32) {
        __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        __m256i outer = _mm256_and_si256(
            _mm256_mulhi_epu16(_mm256_and_si256(old, outer_mask), keep), outer_mask);
        __m256i middle = _mm256_and_si256(
            _mm256_mulhi_epu16(_mm256_and_si256(old, middle_mask), keep), middle_mask);
        __m256i out = _mm256_add_epi16(_mm256_or_si256(outer, middle), share);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), out);
    }
}

__attribute__((target("avx2"))) void avx2_kernel32(unsigned char *p, std::size_t vectors,
                                                   const Veil &v)
{
    const __m256i outer_mask = _mm256_set1_epi32(static_cast<int>(v.outer));
    const __m256i middle_mask = _mm256_set1_epi32(static_cast<int>(v.middle));
    const __m256i keep = _mm256_set1_epi16(static_cast<short>(v.keep << 8));
    const __m256i share = _mm256_set1_epi32(static_cast<int>(v.share));
    for (std::size_t i = 0; i < vectors; i++, p += 32) {
        __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
        __m256i outer = _mm256_mulhi_epu16(_mm256_and_si256(old, outer_mask), keep);
        __m256i middle = _mm256_and_si256(
            _mm256_mulhi_epu16(_mm256_and_si256(old, middle_mask), keep), middle_mask);
        __m256i out = _mm256_add_epi32(_mm256_or_si256(outer, middle), share);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), out);
    }
}

// ---- AVX-512 form: 32 pixels of 16 bits or 16 of 32 bits per step -----------------------
// The two groups are joined under the outer mask by one ternary logic instruction, where the
// narrower forms need two masks and an OR. Only called when the processor reports AVX-512BW.

__attribute__((target("avx512f,avx512bw"))) void avx512_kernel16(unsigned char *p,
                                                                  std::size_t vectors,
                                                                  const Veil &v)
{
    const __m512i outer_mask = _mm512_set1_epi16(static_cast<short>(v.outer));
    const __m512i middle_mask = _mm512_set1_epi16(static_cast<short>(v.middle));
    const __m512i keep = _mm512_set1_epi16(static_cast<short>(v.keep << 11));
    const __m512i share = _mm512_set1_epi16(static_cast<short>(v.share));
    // (a & c) | (b & ~c): the outer fields from a, the middle one from b.
    constexpr int select = 0xE4;
    for (std::size_t i = 0; i < vectors; i++, p += 64) {
        __m512i old = _mm512_loadu_si512(p);
        __m512i outer = _mm512_mulhi_epu16(_mm512_and_si512(old, outer_mask), keep);
        __m512i middle = _mm512_mulhi_epu16(_mm512_and_si512(old, middle_mask), keep);
        __m512i out = _mm512_add_epi16(
            _mm512_ternarylogic_epi32(outer, middle, outer_mask, select), share);
        _mm512_storeu_si512(p, out);
    }
}

__attribute__((target("avx512f,avx512bw"))) void avx512_kernel32(unsigned char *p,
                                                                  std::size_t vectors,
                                                                  const Veil &v)
{
    const __m512i outer_mask = _mm512_set1_epi32(static_cast<int>(v.outer));
    const __m512i middle_mask = _mm512_set1_epi32(static_cast<int>(v.middle));
    const __m512i keep = _mm512_set1_epi16(static_cast<short>(v.keep << 8));
    const __m512i share = _mm512_set1_epi32(static_cast<int>(v.share));
    constexpr int select = 0xE4;
    for (std::size_t i = 0; i < vectors; i++, p += 64) {
        __m512i old = _mm512_loadu_si512(p);
        // The outer fields come out clean (each alone in its 16-bit lane); the middle one
        // has its product's low bits below it, which the outer mask's select drops.
        __m512i outer = _mm512_mulhi_epu16(_mm512_and_si512(old, outer_mask), keep);
        __m512i middle = _mm512_mulhi_epu16(_mm512_and_si512(old, middle_mask), keep);
        __m512i out = _mm512_add_epi32(
            _mm512_ternarylogic_epi32(outer, middle, outer_mask, select), share);
        _mm512_storeu_si512(p, out);
    }
}

#endif  // VEIL_X86

// Blends n consecutive pixels starting at p in the given form.
void blend_run(VeilForm form, unsigned char *p, std::size_t n, const Veil &v)
{
    bool wide = v.pixel_bytes == 4;
#if VEIL_X86
    if (form == VeilForm::avx512) {
        run_vectors(p, n, 64, wide ? avx512_kernel32 : avx512_kernel16, v);
        return;
    }
    if (form == VeilForm::avx2) {
        run_vectors(p, n, 32, wide ? avx2_kernel32 : avx2_kernel16, v);
        return;
    }
    if (form == VeilForm::sse2) {
        run_vectors(p, n, 16, wide ? sse2_kernel32 : sse2_kernel16, v);
        return;
    }
#else
    (void)form;
#endif
    if (wide)
        plain_run<std::uint32_t, 8>(p, n, v);
    else
        plain_run<std::uint16_t, 5>(p, n, v);
}

// The blend weight f out of M for a factor of 1 to 255, and the pixel layout of the depth.
Veil make_veil(int depth, int colour, int f)
{
    static constexpr std::uint32_t fields15[3] = {0x7C00, 0x03E0, 0x001F};
    static constexpr std::uint32_t fields16[3] = {0xF800, 0x07E0, 0x001F};
    static constexpr std::uint32_t fields32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    const std::uint32_t *fields = depth == 15 ? fields15 : depth == 16 ? fields16 : fields32;
    const int modulus = depth == 32 ? 256 : 32;
    Veil v{};
    v.pixel_bytes = depth == 32 ? 4 : 2;
    v.outer = fields[0] | fields[2];
    v.middle = fields[1];
    v.keep = static_cast<std::uint32_t>(modulus - f);
    for (int i = 0; i < 3; i++) {
        const int shift = __builtin_ctz(fields[i]);
        const std::uint32_t field = (static_cast<std::uint32_t>(colour) & fields[i]) >> shift;
        v.share |= (field * static_cast<std::uint32_t>(f) / modulus) << shift;
    }
    return v;
}

}  // namespace

const char *veil_form_name(VeilForm form)
{
    switch (form) {
    case VeilForm::plain: return "plain";
    case VeilForm::sse2: return "sse2";
    case VeilForm::avx2: return "avx2";
    case VeilForm::avx512: return "avx512";
    }
    return "?";
}

bool veil_form_available(VeilForm form)
{
    switch (form) {
    case VeilForm::plain: return true;
#if VEIL_X86
    case VeilForm::sse2: return true;  // part of every x86-64 processor
    case VeilForm::avx2: {
        static const bool has_avx2 = __builtin_cpu_supports("avx2");
        return has_avx2;
    }
    case VeilForm::avx512: {
        static const bool has_avx512 =
            __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
        return has_avx512;
    }
#else
    default: return false;
#endif
    }
    return false;
}

VeilForm fastest_veil_form()
{
    static const VeilForm fastest = veil_form_available(VeilForm::avx512) ? VeilForm::avx512
                                    : veil_form_available(VeilForm::avx2) ? VeilForm::avx2
                                    : veil_form_available(VeilForm::sse2) ? VeilForm::sse2
                                                                          : VeilForm::plain;
    return fastest;
}

namespace {

// A rectangle clipped to the bitmap's full size (its clipping rectangle is not consulted),
// by its first and last columns and rows. Worked in 64 bits so that no corner or size,
// however far out, overflows. Empty when nothing of it lies on the bitmap.
struct Span {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    bool empty() const { return x1 < x0 || y1 < y0; }
};

Span clip_to(const BITMAP *bitmap, int x, int y, int width, int height)
{
    long long left = x, top = y, w = width, h = height;
    if (left < 0) {
        w += left;
        left = 0;
    }
    if (top < 0) {
        h += top;
        top = 0;
    }
    if (left + w >= bitmap->w)
        w = bitmap->w - left;
    if (top + h >= bitmap->h)
        h = bitmap->h - top;
    if (w <= 0 || h <= 0)
        return {};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + w - 1),
            static_cast<int>(top + h - 1)};
}

// The colour alone. The clipping rectangle is switched off for the fill so that the solid
// veil covers exactly what a blended one would.
void fill_solid(BITMAP *bitmap, const Span &r, int colour)
{
    const int clipping = get_clip_state(bitmap);
    set_clip_state(bitmap, FALSE);
    rectfill(bitmap, r.x0, r.y0, r.x1, r.y1, colour);
    set_clip_state(bitmap, clipping);
}

void blend_rows(VeilForm form, BITMAP *bitmap, const Span &r, const Veil &v)
{
    const std::size_t span_pixels = static_cast<std::size_t>(r.x1 - r.x0 + 1);
    const std::size_t span_bytes = span_pixels * v.pixel_bytes;
    auto row_address = [&](int row) {
        return reinterpret_cast<unsigned char *>(bmp_write_line(bitmap, row)) +
               static_cast<std::size_t>(r.x0) * v.pixel_bytes;
    };
    if (!is_memory_bitmap(bitmap)) {
        // Other bitmaps may show a row as soon as the next row's address is asked for (the
        // library's X11 screen does): each row is blended before that.
        for (int row = r.y0; row <= r.y1; row++)
            blend_run(form, row_address(row), span_pixels, v);
        bmp_unwrite_line(bitmap);
        return;
    }
    // The rows of a memory bitmap usually follow each other without a gap; where the
    // rectangle spans them whole, consecutive rows are blended as one long run.
    unsigned char *run = row_address(r.y0);
    std::size_t run_bytes = span_bytes;
    for (int row = r.y0 + 1; row <= r.y1; row++) {
        unsigned char *p = row_address(row);
        if (run + run_bytes == p) {
            run_bytes += span_bytes;
            continue;
        }
        blend_run(form, run, run_bytes / v.pixel_bytes, v);
        run = p;
        run_bytes = span_bytes;
    }
    blend_run(form, run, run_bytes / v.pixel_bytes, v);
    bmp_unwrite_line(bitmap);
}

}  // namespace

void fill_rect_translucent_in_form(VeilForm form, BITMAP *bitmap, int x, int y, int width,
                                   int height, int colour, int factor)
{
    const Span r = clip_to(bitmap, x, y, width, height);
    if (r.empty())
        return;
    const int depth = bitmap_color_depth(bitmap);
    if (depth != 15 && depth != 16 && depth != 32)
        return;
    factor = std::min(factor, 255);
    int f = depth == 32 ? factor : (factor + 7) >> 3;
    if (f <= 0)
        return;
    if (depth == 32)
        f++;
    const int modulus = depth == 32 ? 256 : 32;
    if (!veil_form_available(form))
        form = VeilForm::plain;

    acquire_bitmap(bitmap);
    if (f == modulus)
        fill_solid(bitmap, r, colour);
    else
        blend_rows(form, bitmap, r, make_veil(depth, colour, f));
    release_bitmap(bitmap);
}

void fill_rect_translucent(BITMAP *bitmap, int x, int y, int width, int height, int colour,
                           int factor)
{
    fill_rect_translucent_in_form(fastest_veil_form(), bitmap, x, y, width, height, colour,
                                  factor);
}
