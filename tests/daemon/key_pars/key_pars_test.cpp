#include "key_pars/key_pars.h"

#include <stdio.h>
#include <string.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "temp_board.h"

namespace {

class KeyPars : public testing::Test {
protected:
    void SetUp() override {
        memset(keyGroups, 0, sizeof keyGroups);
        memset(&gpioKeys, 0, sizeof gpioKeys);
        keyPadDocument.reset();
    }
    void TearDown() override { keyPadDocument.reset(); }

    std::string FileNameLine() const {
        return "D/tavrion: fileName is " + board.root() + "/cfg/atv/etc/key_pad.xml\n";
    }
    // Loads the ADC groups and returns what was logged.
    std::string LoadGroups(const std::string& xml, int count = kAdcGroupCount) {
        board.WriteKeyPad(xml);
        testing::internal::CaptureStderr();
        GetBoardKeyPad(keyGroups, count);
        return testing::internal::GetCapturedStderr();
    }
    std::string LoadGpio(const std::string& xml) {
        board.WriteKeyPad(xml);
        testing::internal::CaptureStderr();
        GetGpioKeyPad(gpioKeys);
        return testing::internal::GetCapturedStderr();
    }

    TempBoard board;
};

bool AllZero(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

std::string Hex(unsigned value) {
    char text[16];
    snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string Layout(const std::string& children) {
    return "<?xml version=\"1.0\"?>\n<key_pad_xml>\n" + children + "</key_pad_xml>\n";
}

TEST_F(KeyPars, AdcKeyValuesFollowTheirRadixDefaultAndWidth) {
    struct Case {
        const char* attributes;
        uint8_t threshold;
        uint32_t code;
        uint32_t longCode;
        uint8_t repeat;
        uint32_t duration;
    };
    const Case cases[] = {
        {"KeyThreshold=\"30\" KeyCode=\"74\"", 0x30, 116, 0, 0, 800},
        {"KeyCode=\"0x74\" LongKeyCode=\"74\" LongKeyDuration=\"900\"", 0, 116, 116, 0, 900},
        {"KeyThreshold=\"1FF\" Repeat=\"true\"", 0xFF, 0, 0, 1, 800},
        {"Repeat=\"TRUE\" LongKeyDuration=\"0x10\"", 0, 0, 0, 0, 0},
        {"Repeat=\"1\" KeyCode=\"100000000\"", 0, 0, 0, 0, 800},
        {"Repeat=\"true \" KeyCode=\"-1\" LongKeyCode=\"1FFFFFFFF\"", 0, 0xFFFFFFFF, 0xFFFFFFFF, 0,
         800},
        {"KeyThreshold=\"zz\" KeyCode=\" +2e8\" LongKeyDuration=\"4294967297\"", 0, 0x2E8, 0, 0, 1},
    };
    std::string keys;
    for (const Case& c : cases) keys += std::string("<key_pad ") + c.attributes + "/>\n";
    LoadGroups(Layout("<g>\n<enable value=\"1\"/>\n" + keys + "</g>\n"));
    const KeyArry& group = keyGroups[0];
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(cases[n].attributes);
        EXPECT_EQ(cases[n].threshold, group.KeyThreshold[n]);
        EXPECT_EQ(cases[n].code, group.KeyCode[n]);
        EXPECT_EQ(cases[n].longCode, group.LongKeyCode[n]);
        EXPECT_EQ(cases[n].repeat, group.keyState[n].Repeat);
        EXPECT_EQ(cases[n].duration, group.LongKeyDuration[n]);
        EXPECT_EQ(0u, group.keyState[n].pressTime);
    }
}

TEST_F(KeyPars, GroupSettingsAreHexadecimalNarrowedAndSaturated) {
    struct Case {
        const char* enable;
        const char* channel;
        const char* levels;
        uint32_t enableValue;
        uint8_t channelValue;
        uint8_t levelsValue;
    };
    const Case cases[] = {
        {"<enable value=\"1\"/>", "<channel_id value=\"100\"/>", "<KeyLevelNum value=\"10\"/>", 1,
         0, 16},
        {"<enable value=\"100000000\"/>", "<channel_id value=\"ff\"/>",
         "<KeyLevelNum value=\"0x3\"/>", 0xFFFFFFFF, 255, 3},
        {"<enable/>", "<channel_id value=\"-1\"/>", "<KeyLevelNum value=\"x\"/>", 0, 255, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enable);
        memset(keyGroups, 0xA5, sizeof keyGroups);
        LoadGroups(Layout(std::string("<g>") + c.enable + c.channel + c.levels + "</g>"), 1);
        EXPECT_EQ(c.enableValue, keyGroups[0].enable);
        EXPECT_EQ(c.channelValue, keyGroups[0].channel_id);
        EXPECT_EQ(c.levelsValue, keyGroups[0].KeyLevelNum);
        EXPECT_EQ(0xA5, keyGroups[0].KeyThreshold[0]) << "fields without an element are kept";
    }
}

TEST_F(KeyPars, GpioChildTakesItsPlaceInTheGroupCount) {
    std::string log =
        LoadGroups(Layout("<gpio><enable value=\"1\"/></gpio>\n"
                          "<A><enable value=\"1\"/><channel_id value=\"2\"/></A>\n"
                          "<B><enable value=\"a\"/><channel_id value=\"1f\"/></B>\n"
                          "<C><enable value=\"1\"/><channel_id value=\"3\"/></C>\n"));
    EXPECT_TRUE(AllZero(&keyGroups[0], sizeof keyGroups[0]));
    EXPECT_EQ(1u, keyGroups[1].enable);
    EXPECT_EQ(2u, keyGroups[1].channel_id);
    EXPECT_EQ(0xAu, keyGroups[2].enable);
    EXPECT_EQ(0x1Fu, keyGroups[2].channel_id);
    EXPECT_EQ(FileNameLine() +
                  "D/tavrion: GetBoardKeyPad nodePtr=A, i = 1\n"
                  "D/tavrion: parsKey i = 1, enable=0x1, channel=0x2\n"
                  "D/tavrion: GetBoardKeyPad nodePtr=B, i = 2\n"
                  "D/tavrion: parsKey i = 2, enable=0xa, channel=0x1f\n",
              log);
}

TEST_F(KeyPars, OnlyThreeGroupsAreReadAndALateGpioIsStillFound) {
    std::string xml = Layout(
        "<a><enable value=\"1\"/></a><b><enable value=\"2\"/></b>"
        "<c><enable value=\"3\"/></c><d><enable value=\"4\"/></d>"
        "<gpio><enable value=\"10\"/><KeyLevelNum value=\"1\"/>"
        "<key_pad GroupNum=\"2\" PinNum=\"5\" KeyCode=\"116\"/></gpio>");
    KeyArry guard[kAdcGroupCount + 1] = {};
    board.WriteKeyPad(xml);
    testing::internal::CaptureStderr();
    GetBoardKeyPad(guard, kAdcGroupCount);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(1u, guard[0].enable);
    EXPECT_EQ(3u, guard[2].enable);
    EXPECT_TRUE(AllZero(&guard[3], sizeof guard[3]));

    LoadGpio(xml);
    EXPECT_EQ(10u, gpioKeys.enable);
    EXPECT_EQ(1u, gpioKeys.KeyLevelNum);
    EXPECT_EQ(2u, gpioKeys.GroupNum[0]);
    EXPECT_EQ(5u, gpioKeys.PinNum[0]);
    EXPECT_EQ(116u, gpioKeys.KeyCode[0]);
}

TEST_F(KeyPars, AdcGroupKeepsKeyLevelNumAndEightSlotsAtMost) {
    std::string keys;
    for (int n = 0; n < 10; ++n) {
        keys += "<key_pad KeyThreshold=\"" + Hex(0x10 + n) + "\" KeyCode=\"" + Hex(0x100 + n) +
                "\" Repeat=\"true\" LongKeyDuration=\"7\"/>";
    }
    LoadGroups(
        Layout("<g><KeyLevelNum value=\"3\"/><key_pad KeyCode=\"1\"/>"
               "<key_pad KeyCode=\"2\"/></g><h>" +
               keys + "</h>"));
    EXPECT_EQ(3u, keyGroups[0].KeyLevelNum);
    EXPECT_EQ(2u, keyGroups[0].KeyCode[1]);
    EXPECT_EQ(0u, keyGroups[0].KeyCode[2]);
    EXPECT_EQ(0u, keyGroups[0].LongKeyDuration[2]);

    const KeyArry& full = keyGroups[1];
    for (int n = 0; n < kKeySlots; ++n) {
        EXPECT_EQ(0x10 + n, full.KeyThreshold[n]);
        EXPECT_EQ(0x100u + n, full.KeyCode[n]);
        EXPECT_EQ(7u, full.LongKeyDuration[n]);
        EXPECT_EQ(1u, full.keyState[n].Repeat);
    }
    EXPECT_TRUE(AllZero(&keyGroups[2], sizeof keyGroups[2])) << "nothing written past slot 7";
}

TEST_F(KeyPars, GpioKeysNeedAKeyLevelNumBeforeThem) {
    const std::string threeKeys =
        "<key_pad GroupNum=\"1\" PinNum=\"2\" KeyCode=\"116\"/>"
        "<key_pad GroupNum=\"3\" PinNum=\"4\" KeyCode=\"74\"/>"
        "<key_pad GroupNum=\"5\" PinNum=\"6\" KeyCode=\"0x74\"/>";
    struct Case {
        std::string children;
        uint8_t levels;
        std::vector<uint32_t> codes;  // the stored slots
    };
    std::string tenKeys;
    for (int n = 0; n < 10; ++n) tenKeys += "<key_pad KeyCode=\"" + std::to_string(n + 1) + "\"/>";
    const Case cases[] = {
        {"<KeyLevelNum value=\"3\"/>" + threeKeys, 3, {116, 74, 0}},
        {"<KeyLevelNum value=\"2\"/>" + threeKeys, 2, {116, 74}},
        {threeKeys + "<KeyLevelNum value=\"3\"/>", 3, {}},
        {"<KeyLevelNum value=\"10\"/>" + tenKeys, 10, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"<KeyLevelNum value=\"0x3\"/><channel_id value=\"1\"/>" + threeKeys, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.children);
        memset(&gpioKeys, 0, sizeof gpioKeys);
        LoadGpio(Layout("<adc/><gpio><enable value=\"1\"/>" + c.children + "</gpio>"));
        EXPECT_EQ(1u, gpioKeys.enable);
        EXPECT_EQ(c.levels, gpioKeys.KeyLevelNum);
        std::vector<uint32_t> stored(gpioKeys.KeyCode, gpioKeys.KeyCode + c.codes.size());
        EXPECT_EQ(c.codes, stored);
        for (size_t n = c.codes.size(); n < kKeySlots; ++n) EXPECT_EQ(0u, gpioKeys.KeyCode[n]);
    }
    EXPECT_TRUE(AllZero(keyGroups, sizeof keyGroups)) << "the GPIO load fills no ADC group";
}

TEST_F(KeyPars, FailedLoadsLogWhyAndFillNothing) {
    struct Case {
        const char* name;
        const char* xml;  // nullptr: no file
        bool noPath;      // the lookup answers with no path
        const char* message;
    };
    const Case cases[] = {
        {"missing file", nullptr, true, "D/tavrion: can't open the key_pad.xml\n"},
        {"broken xml", "<key_pad_xml><a></key_pad_xml>", false,
         "D/tavrion: can't open the key_pad.xml\n"},
        {"no root element", "<?xml version=\"1.0\"?><!-- nothing -->", false,
         "D/tavrion: key_pad.xml is empty file \n"},
        {"wrong root", "<root><a><enable value=\"1\"/></a><gpio/></root>", false,
         "D/tavrion: document of the wrong type, root node != root\n"},
        {"lookup gives no path", "<key_pad_xml><a><enable value=\"1\"/></a></key_pad_xml>", true,
         "D/tavrion: can't open the key_pad.xml\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board.Remove("cfg/atv/etc/key_pad.xml");
        board.Remove("fail/hi_get_one_cfg_file");
        if (c.xml) board.WriteKeyPad(c.xml);
        if (c.noPath && c.xml) board.Write("fail/hi_get_one_cfg_file", "1");
        for (int pass = 0; pass < 2; ++pass) {
            testing::internal::CaptureStderr();
            if (pass == 0) {
                GetBoardKeyPad(keyGroups, kAdcGroupCount);
            } else {
                GetGpioKeyPad(gpioKeys);
            }
            std::string expected = c.noPath ? c.message : FileNameLine() + c.message;
            EXPECT_EQ(expected, testing::internal::GetCapturedStderr());
            EXPECT_EQ(nullptr, keyPadDocument);
        }
        EXPECT_TRUE(AllZero(keyGroups, sizeof keyGroups));
        EXPECT_TRUE(AllZero(&gpioKeys, sizeof gpioKeys));
    }
}

TEST_F(KeyPars, GroupCountOutOfRangeStillLoadsButFillsNothing) {
    const std::string xml = Layout("<a><enable value=\"1\"/></a>");
    for (int count : {4, 0, -1}) {
        EXPECT_EQ(FileNameLine(), LoadGroups(xml, count)) << count;
        EXPECT_NE(nullptr, keyPadDocument);
    }
    board.WriteKeyPad(xml);
    testing::internal::CaptureStderr();
    GetBoardKeyPad(nullptr, 1);
    EXPECT_EQ(FileNameLine(), testing::internal::GetCapturedStderr());
    EXPECT_TRUE(AllZero(keyGroups, sizeof keyGroups));
}

TEST_F(KeyPars, EachLoadReplacesTheDocumentOfThePreviousOne) {
    board.Write("first.xml", Layout("<first/>"));
    board.Write("second.xml", Layout("<second/>"));
    testing::internal::CaptureStderr();
    const std::string first = board.root() + "/first.xml";
    const std::string second = board.root() + "/second.xml";
    tinyxml2::XMLElement* root = ReadXml(*first.c_str());
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(keyPadDocument->RootElement(), root);
    EXPECT_STREQ("first", root->FirstChildElement()->Value());

    root = ReadXml(*second.c_str());
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(keyPadDocument->RootElement(), root);
    EXPECT_STREQ("second", root->FirstChildElement()->Value());

    const std::string missing = board.root() + "/missing.xml";
    EXPECT_EQ(nullptr, ReadXml(*missing.c_str()));
    EXPECT_EQ(nullptr, keyPadDocument) << "a failed load leaves no document behind";
    testing::internal::GetCapturedStderr();

    // A layout already read survives a later failed load.
    LoadGroups(Layout("<a><enable value=\"5\"/></a>"));
    board.Remove("cfg/atv/etc/key_pad.xml");
    testing::internal::CaptureStderr();
    GetBoardKeyPad(keyGroups, kAdcGroupCount);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(5u, keyGroups[0].enable);
}

}  // namespace
