// MD5 message digest (RFC 1321).
#pragma once

#include <cstddef>
#include <cstdint>

struct Md5Context {
    uint32_t state[4];      // chaining words A, B, C, D
    uint32_t byteCount[2];  // bytes fed so far, low word then high word
    uint8_t block[64];      // input not yet transformed
};

void md5Init(Md5Context* context);
void md5Update(Md5Context* context, const void* data, size_t size);
// Pads, transforms the last block(s) and writes the 16 digest bytes in output order.
void md5Final(Md5Context* context, uint8_t digest[16]);
