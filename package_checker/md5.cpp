#include "md5.h"

#include <cstring>

// The transform is the hot loop of the whole program: the digest of an update image is
// limited by it, so it is fully unrolled with constant rotations and keeps the chaining words
// in locals across all the blocks of one call.

static inline uint32_t rotateLeft(uint32_t x, int bits) { return (x << bits) | (x >> (32 - bits)); }

static inline uint32_t loadLittleEndian(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t word;
    memcpy(&word, p, sizeof word);
    return word;
#else
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
#endif
}

static inline void storeLittleEndian(uint8_t* p, uint32_t word) {
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
    p[2] = static_cast<uint8_t>(word >> 16);
    p[3] = static_cast<uint8_t>(word >> 24);
}

// The round functions are written so that b, the word finished by the previous step, enters
// last: everything that depends only on c and d can start before b is ready.
#define MD5_F(b, c, d) ((((c) ^ (d)) & (b)) ^ (d))
#define MD5_H(b, c, d) (((c) ^ (d)) ^ (b))
#define MD5_I(b, c, d) ((c) ^ ((b) | ~(d)))

// G's two terms never overlap, so they can be added one by one: the term without b is summed
// while b is still being computed, and only one AND and one addition wait for it.
#define MD5_STEP_G(a, b, c, d, word, constant, bits) \
    do {                                             \
        (a) += (word) + (constant) + (~(d) & (c));   \
        (a) += (d) & (b);                            \
        (a) = rotateLeft((a), (bits));               \
        (a) += (b);                                  \
    } while (0)

#define MD5_STEP(f, a, b, c, d, word, constant, bits) \
    do {                                              \
        (a) += (word) + (constant);                   \
        (a) += f((b), (c), (d));                      \
        (a) = rotateLeft((a), (bits));                \
        (a) += (b);                                   \
    } while (0)

static void md5Blocks(uint32_t state[4], const uint8_t* data, size_t blocks) {
    uint32_t a = state[0];
    uint32_t b = state[1];
    uint32_t c = state[2];
    uint32_t d = state[3];

    for (; blocks > 0; --blocks, data += 64) {
        const uint32_t x0 = loadLittleEndian(data + 0);
        const uint32_t x1 = loadLittleEndian(data + 4);
        const uint32_t x2 = loadLittleEndian(data + 8);
        const uint32_t x3 = loadLittleEndian(data + 12);
        const uint32_t x4 = loadLittleEndian(data + 16);
        const uint32_t x5 = loadLittleEndian(data + 20);
        const uint32_t x6 = loadLittleEndian(data + 24);
        const uint32_t x7 = loadLittleEndian(data + 28);
        const uint32_t x8 = loadLittleEndian(data + 32);
        const uint32_t x9 = loadLittleEndian(data + 36);
        const uint32_t x10 = loadLittleEndian(data + 40);
        const uint32_t x11 = loadLittleEndian(data + 44);
        const uint32_t x12 = loadLittleEndian(data + 48);
        const uint32_t x13 = loadLittleEndian(data + 52);
        const uint32_t x14 = loadLittleEndian(data + 56);
        const uint32_t x15 = loadLittleEndian(data + 60);
        const uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(MD5_F, a, b, c, d, x0, 0xd76aa478, 7);
        MD5_STEP(MD5_F, d, a, b, c, x1, 0xe8c7b756, 12);
        MD5_STEP(MD5_F, c, d, a, b, x2, 0x242070db, 17);
        MD5_STEP(MD5_F, b, c, d, a, x3, 0xc1bdceee, 22);
        MD5_STEP(MD5_F, a, b, c, d, x4, 0xf57c0faf, 7);
        MD5_STEP(MD5_F, d, a, b, c, x5, 0x4787c62a, 12);
        MD5_STEP(MD5_F, c, d, a, b, x6, 0xa8304613, 17);
        MD5_STEP(MD5_F, b, c, d, a, x7, 0xfd469501, 22);
        MD5_STEP(MD5_F, a, b, c, d, x8, 0x698098d8, 7);
        MD5_STEP(MD5_F, d, a, b, c, x9, 0x8b44f7af, 12);
        MD5_STEP(MD5_F, c, d, a, b, x10, 0xffff5bb1, 17);
        MD5_STEP(MD5_F, b, c, d, a, x11, 0x895cd7be, 22);
        MD5_STEP(MD5_F, a, b, c, d, x12, 0x6b901122, 7);
        MD5_STEP(MD5_F, d, a, b, c, x13, 0xfd987193, 12);
        MD5_STEP(MD5_F, c, d, a, b, x14, 0xa679438e, 17);
        MD5_STEP(MD5_F, b, c, d, a, x15, 0x49b40821, 22);

        MD5_STEP_G(a, b, c, d, x1, 0xf61e2562, 5);
        MD5_STEP_G(d, a, b, c, x6, 0xc040b340, 9);
        MD5_STEP_G(c, d, a, b, x11, 0x265e5a51, 14);
        MD5_STEP_G(b, c, d, a, x0, 0xe9b6c7aa, 20);
        MD5_STEP_G(a, b, c, d, x5, 0xd62f105d, 5);
        MD5_STEP_G(d, a, b, c, x10, 0x02441453, 9);
        MD5_STEP_G(c, d, a, b, x15, 0xd8a1e681, 14);
        MD5_STEP_G(b, c, d, a, x4, 0xe7d3fbc8, 20);
        MD5_STEP_G(a, b, c, d, x9, 0x21e1cde6, 5);
        MD5_STEP_G(d, a, b, c, x14, 0xc33707d6, 9);
        MD5_STEP_G(c, d, a, b, x3, 0xf4d50d87, 14);
        MD5_STEP_G(b, c, d, a, x8, 0x455a14ed, 20);
        MD5_STEP_G(a, b, c, d, x13, 0xa9e3e905, 5);
        MD5_STEP_G(d, a, b, c, x2, 0xfcefa3f8, 9);
        MD5_STEP_G(c, d, a, b, x7, 0x676f02d9, 14);
        MD5_STEP_G(b, c, d, a, x12, 0x8d2a4c8a, 20);

        MD5_STEP(MD5_H, a, b, c, d, x5, 0xfffa3942, 4);
        MD5_STEP(MD5_H, d, a, b, c, x8, 0x8771f681, 11);
        MD5_STEP(MD5_H, c, d, a, b, x11, 0x6d9d6122, 16);
        MD5_STEP(MD5_H, b, c, d, a, x14, 0xfde5380c, 23);
        MD5_STEP(MD5_H, a, b, c, d, x1, 0xa4beea44, 4);
        MD5_STEP(MD5_H, d, a, b, c, x4, 0x4bdecfa9, 11);
        MD5_STEP(MD5_H, c, d, a, b, x7, 0xf6bb4b60, 16);
        MD5_STEP(MD5_H, b, c, d, a, x10, 0xbebfbc70, 23);
        MD5_STEP(MD5_H, a, b, c, d, x13, 0x289b7ec6, 4);
        MD5_STEP(MD5_H, d, a, b, c, x0, 0xeaa127fa, 11);
        MD5_STEP(MD5_H, c, d, a, b, x3, 0xd4ef3085, 16);
        MD5_STEP(MD5_H, b, c, d, a, x6, 0x04881d05, 23);
        MD5_STEP(MD5_H, a, b, c, d, x9, 0xd9d4d039, 4);
        MD5_STEP(MD5_H, d, a, b, c, x12, 0xe6db99e5, 11);
        MD5_STEP(MD5_H, c, d, a, b, x15, 0x1fa27cf8, 16);
        MD5_STEP(MD5_H, b, c, d, a, x2, 0xc4ac5665, 23);

        MD5_STEP(MD5_I, a, b, c, d, x0, 0xf4292244, 6);
        MD5_STEP(MD5_I, d, a, b, c, x7, 0x432aff97, 10);
        MD5_STEP(MD5_I, c, d, a, b, x14, 0xab9423a7, 15);
        MD5_STEP(MD5_I, b, c, d, a, x5, 0xfc93a039, 21);
        MD5_STEP(MD5_I, a, b, c, d, x12, 0x655b59c3, 6);
        MD5_STEP(MD5_I, d, a, b, c, x3, 0x8f0ccc92, 10);
        MD5_STEP(MD5_I, c, d, a, b, x10, 0xffeff47d, 15);
        MD5_STEP(MD5_I, b, c, d, a, x1, 0x85845dd1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x8, 0x6fa87e4f, 6);
        MD5_STEP(MD5_I, d, a, b, c, x15, 0xfe2ce6e0, 10);
        MD5_STEP(MD5_I, c, d, a, b, x6, 0xa3014314, 15);
        MD5_STEP(MD5_I, b, c, d, a, x13, 0x4e0811a1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x4, 0xf7537e82, 6);
        MD5_STEP(MD5_I, d, a, b, c, x11, 0xbd3af235, 10);
        MD5_STEP(MD5_I, c, d, a, b, x2, 0x2ad7d2bb, 15);
        MD5_STEP(MD5_I, b, c, d, a, x9, 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }

    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

void md5Init(Md5Context* context) {
    context->state[0] = 0x67452301;
    context->state[1] = 0xefcdab89;
    context->state[2] = 0x98badcfe;
    context->state[3] = 0x10325476;
    context->byteCount[0] = 0;
    context->byteCount[1] = 0;
}

void md5Update(Md5Context* context, const void* data, size_t size) {
    const uint8_t* input = static_cast<const uint8_t*>(data);
    const size_t fill = context->byteCount[0] & 63;

    const uint32_t low = context->byteCount[0];
    context->byteCount[0] = low + static_cast<uint32_t>(size);
    context->byteCount[1] += static_cast<uint32_t>(static_cast<uint64_t>(size) >> 32) +
                             (context->byteCount[0] < low ? 1u : 0u);

    if (size < 64 - fill) {
        memcpy(context->block + fill, input, size);
        return;
    }
    if (fill != 0) {
        memcpy(context->block + fill, input, 64 - fill);
        md5Blocks(context->state, context->block, 1);
        input += 64 - fill;
        size -= 64 - fill;
    }
    md5Blocks(context->state, input, size / 64);
    memcpy(context->block, input + (size & ~static_cast<size_t>(63)), size & 63);
}

void md5Final(Md5Context* context, uint8_t digest[16]) {
    const size_t fill = context->byteCount[0] & 63;
    context->block[fill] = 0x80;
    if (fill <= 55) {
        memset(context->block + fill + 1, 0, 55 - fill);
    } else {
        memset(context->block + fill + 1, 0, 63 - fill);
        md5Blocks(context->state, context->block, 1);
        memset(context->block, 0, 56);
    }
    // The length in bits: the byte count times eight, spread over two words.
    storeLittleEndian(context->block + 56, context->byteCount[0] << 3);
    storeLittleEndian(context->block + 60,
                      (context->byteCount[1] << 3) | (context->byteCount[0] >> 29));
    md5Blocks(context->state, context->block, 1);
    for (int i = 0; i < 4; ++i) storeLittleEndian(digest + 4 * i, context->state[i]);
}
