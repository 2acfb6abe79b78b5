#include <android/log.h>
#include <cutils/properties.h>

#include <string>

#include "gtest/gtest.h"
#include "temp_board.h"

namespace {

TEST(AndroidLog, OneLinePerMessageWithPriorityAndTag) {
    struct Case {
        int priority;
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {ANDROID_LOG_DEBUG, "Keypad only one key!\n", "D/tavrion: Keypad only one key!\n"},
        {ANDROID_LOG_DEBUG, "main memset_s failed !", "D/tavrion: main memset_s failed !\n"},
        {ANDROID_LOG_ERROR, "two\nlines\n", "E/tavrion: two lines\n"},
        {ANDROID_LOG_INFO, "", "I/tavrion: \n"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        __android_log_print(c.priority, "tavrion", "%s", c.text);
        EXPECT_EQ(c.line, testing::internal::GetCapturedStderr());
    }
    testing::internal::CaptureStderr();
    __android_log_print(ANDROID_LOG_DEBUG, "tavrion", "ret, %08x !\n", 0x80470001u);
    EXPECT_EQ("D/tavrion: ret, 80470001 !\n", testing::internal::GetCapturedStderr());
}

TEST(AndroidProperties, ReadAfreshWithDefaultsAndThePlatformLengthLimit) {
    TempBoard board;
    char value[PROPERTY_VALUE_MAX];
    EXPECT_EQ(4, property_get("persist.a", value, "none"));
    EXPECT_STREQ("none", value);
    EXPECT_EQ(0, property_get("persist.a", value, nullptr));
    EXPECT_STREQ("", value);

    board.Write("props", "persist.ab=no\npersist.a=true\r\nother=1\n");
    EXPECT_EQ(4, property_get("persist.a", value, "none"));
    EXPECT_STREQ("true", value);

    board.Write("props", "persist.a=false\npersist.a=\n");
    EXPECT_EQ(4, property_get("persist.a", value, "none")) << "an empty value counts as unset";
    EXPECT_STREQ("none", value);

    std::string longValue(120, 'v');
    board.Write("props", "persist.a=" + longValue + "\n");
    EXPECT_EQ(91, property_get("persist.a", value, "none"));
    EXPECT_EQ(longValue.substr(0, 91), std::string(value));
    EXPECT_EQ(91, property_get("persist.b", value, longValue.c_str()));
}

}  // namespace
