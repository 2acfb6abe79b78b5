#include "md5.h"

#include <gtest/gtest.h>

#include <string>

#include "sumvault_test_support.h"

static std::string digestOf(const std::string& data, size_t piece) {
    Md5Context context;
    md5Init(&context);
    for (size_t at = 0; at < data.size(); at += piece) {
        md5Update(&context, data.data() + at, std::min(piece, data.size() - at));
    }
    uint8_t digest[16];
    md5Final(&context, digest);
    return hexOf(digest);
}

TEST(Md5, Rfc1321SuiteWhateverTheFeedingPattern) {
    struct Case {
        const char* input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) {
        for (size_t piece :
             {size_t{1}, size_t{3}, size_t{63}, size_t{64}, size_t{65}, size_t{1000}}) {
            EXPECT_EQ(digestOf(c.input, piece), c.digest)
                << '"' << c.input << "\" in pieces of " << piece;
        }
    }
}

class Md5Padding : public ScratchDirTest {};

// Around each block boundary the closing 0x80 byte and the length move into another block.
TEST_F(Md5Padding, AgreesWithMd5sumAtEveryBoundary) {
    for (size_t size : {55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 40959, 40960, 40961}) {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + size) & 0xFF);
        writeFile("data.bin", data);
        const std::string reference = md5sumOf("data.bin");
        EXPECT_EQ(digestOf(data, size), reference) << size << " bytes at once";
        EXPECT_EQ(digestOf(data, 7), reference) << size << " bytes in pieces of 7";
    }
}
