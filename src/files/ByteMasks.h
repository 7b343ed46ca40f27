#pragma once

#include <QtGlobal>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Bit masks over 64 bytes at once: bit i stands for p[i]. The readers scan
// lines and elements with them instead of looking at one byte at a time;
// all 64 bytes must be readable (InputBuffer pads its end for this).
namespace bytemask {

#if defined(__SSE2__)
namespace detail {
template <typename Test> quint64 blocks(const char* p, Test test)
{
    quint64 mask = 0;
    for (int b = 0; b < 4; ++b) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * b));
        mask |= static_cast<quint64>(static_cast<unsigned>(_mm_movemask_epi8(test(v)))) << (16 * b);
    }
    return mask;
}
} // namespace detail

// Bytes of value 0..limit.
inline quint64 atMost(const char* p, unsigned char limit)
{
    const __m128i l = _mm_set1_epi8(static_cast<char>(limit));
    return detail::blocks(p, [l](__m128i v) { return _mm_cmpeq_epi8(_mm_min_epu8(v, l), v); });
}

inline quint64 equal(const char* p, char c)
{
    const __m128i x = _mm_set1_epi8(c);
    return detail::blocks(p, [x](__m128i v) { return _mm_cmpeq_epi8(v, x); });
}

// Bytes equal to any of three.
inline quint64 anyOf(const char* p, char a, char b, char c)
{
    const __m128i x = _mm_set1_epi8(a), y = _mm_set1_epi8(b), z = _mm_set1_epi8(c);
    return detail::blocks(p, [x, y, z](__m128i v) {
        return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, x), _mm_cmpeq_epi8(v, y)),
                            _mm_cmpeq_epi8(v, z));
    });
}

// Over 16 bytes only: bits 0..15.
inline unsigned atMost16(const char* p, unsigned char limit)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i l = _mm_set1_epi8(static_cast<char>(limit));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, l), v)));
}
inline unsigned equal16(const char* p, char c)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))));
}

// Over 16 bytes loaded once: the masks of three bytes.
struct Masks16 {
    unsigned a, b, c;
};
inline Masks16 equal16(const char* p, char a, char b, char c)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto mask = [v](char x) {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(x))));
    };
    return {mask(a), mask(b), mask(c)};
}

// Whether the first `size` (up to 16) bytes of a and b are the same; 16
// bytes of each must be readable.
inline bool samePrefix16(const char* a, const char* b, int size)
{
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    const auto same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
    const unsigned wanted = (1u << size) - 1;
    return (same & wanted) == wanted;
}
#else
struct Masks16 {
    unsigned a, b, c;
};
inline unsigned equal16(const char* p, char c);
inline Masks16 equal16(const char* p, char a, char b, char c)
{
    return {equal16(p, a), equal16(p, b), equal16(p, c)};
}
inline bool samePrefix16(const char* a, const char* b, int size)
{
    return std::memcmp(a, b, static_cast<size_t>(size)) == 0;
}
inline unsigned atMost16(const char* p, unsigned char limit)
{
    unsigned mask = 0;
    for (int i = 0; i < 16; ++i)
        mask |= unsigned(static_cast<unsigned char>(p[i]) <= limit) << i;
    return mask;
}
inline unsigned equal16(const char* p, char c)
{
    unsigned mask = 0;
    for (int i = 0; i < 16; ++i)
        mask |= unsigned(p[i] == c) << i;
    return mask;
}
template <typename Test> quint64 scalar(const char* p, Test test)
{
    quint64 mask = 0;
    for (int i = 0; i < 64; ++i)
        mask |= quint64(test(static_cast<unsigned char>(p[i]))) << i;
    return mask;
}
inline quint64 atMost(const char* p, unsigned char limit)
{
    return scalar(p, [limit](unsigned char b) { return b <= limit; });
}
inline quint64 equal(const char* p, char c)
{
    return scalar(p, [c](unsigned char b) { return b == static_cast<unsigned char>(c); });
}
inline quint64 anyOf(const char* p, char a, char b, char c)
{
    return scalar(p, [a, b, c](unsigned char x) {
        return x == static_cast<unsigned char>(a) || x == static_cast<unsigned char>(b) ||
               x == static_cast<unsigned char>(c);
    });
}
#endif

// Bits 0..n-1 (n up to 64).
inline unsigned first16(qsizetype n)
{
    return n >= 16 ? 0xFFFFu : (1u << n) - 1;
}

inline quint64 first(qsizetype n)
{
    return n >= 64 ? ~quint64(0) : (quint64(1) << n) - 1;
}

inline int lowest(quint64 mask)
{
    return __builtin_ctzll(mask);
}

} // namespace bytemask
