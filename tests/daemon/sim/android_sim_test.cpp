#include <android/log.h>
#include <cutils/properties.h>

#include <string>

#include "gtest/gtest.h"
#include "temp_board.h"

namespace {

TEST(AndroidLog, OneLinePerMessage) {
    const char* cases[][2] = {{"only one key!\n", "D/tavrion: only one key!\n"},
                              {"no newline", "D/tavrion: no newline\n"},
                              {"two\nlines\n", "D/tavrion: two lines\n"}};
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        __android_log_print(ANDROID_LOG_DEBUG, "tavrion", "%s", c[0]);
        EXPECT_EQ(c[1], testing::internal::GetCapturedStderr());
    }
}

TEST(AndroidProperties, ReadAfreshWithDefaultAndLengthLimit) {
    TempBoard board;
    char value[PROPERTY_VALUE_MAX];
    EXPECT_EQ(4, property_get("persist.a", value, "none"));
    EXPECT_STREQ("none", value);
    board.Write("props", "persist.ab=no\npersist.a=true\r\n");
    EXPECT_EQ(4, property_get("persist.a", value, "none"));
    EXPECT_STREQ("true", value);
    const std::string longValue(120, 'v');
    board.Write("props", "persist.a=" + longValue + "\n");
    EXPECT_EQ(91, property_get("persist.a", value, "none"));
    EXPECT_EQ(longValue.substr(0, 91), value);
}

}  // namespace
