// MD5 fed in pieces must give OpenSSL's digest of the whole message. The first byte of every
// piece tells its length, so the fuzzer explores block boundaries, empty pieces and long runs.
#include <openssl/evp.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "md5.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Md5Context context;
    md5Init(&context);
    std::vector<uint8_t> whole;
    while (size > 0) {
        // Lengths 0 to 127 cover every fill of the block; a high bit makes the piece 64 times
        // longer, so that whole blocks are also taken straight from the input.
        size_t length = data[0] & 0x7f;
        if (data[0] & 0x80) length *= 64;
        ++data;
        --size;
        if (length > size) length = size;
        md5Update(&context, data, length);
        whole.insert(whole.end(), data, data + length);
        data += length;
        size -= length;
    }
    uint8_t ours[16];
    md5Final(&context, ours);

    uint8_t reference[EVP_MAX_MD_SIZE];
    unsigned int referenceSize = 0;
    if (EVP_Digest(whole.data(), whole.size(), reference, &referenceSize, EVP_md5(), nullptr) !=
            1 ||
        referenceSize != 16) {
        abort();
    }
    if (memcmp(ours, reference, 16) != 0) abort();
    return 0;
}
