#include "key_pars/key_pars.h"

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
    // Loads the layout <key_pad_xml>children</key_pad_xml> for the ADC groups (or the GPIO
    // group) and returns what was logged.
    std::string Load(const std::string& children, bool gpio = false, int count = 3) {
        board.WriteKeyPad("<key_pad_xml>" + children + "</key_pad_xml>");
        testing::internal::CaptureStderr();
        gpio ? GetGpioKeyPad(gpioKeys) : GetBoardKeyPad(keyGroups, count);
        return testing::internal::GetCapturedStderr();
    }
    std::string FileNameLine() const {
        return "D/tavrion: fileName is " + board.root() + "/cfg/atv/etc/key_pad.xml\n";
    }
    TempBoard board;
};

bool Zero(const void* data, size_t size) {
    std::vector<uint8_t> zeros(size, 0);
    return memcmp(data, zeros.data(), size) == 0;
}

TEST_F(KeyPars, AdcValuesFollowTheirRadixDefaultAndWidth) {
    struct Case {
        const char* attributes;
        uint8_t threshold;
        uint32_t code, longCode;
        uint8_t repeat;
        uint32_t duration;
    } const cases[] = {
        {"KeyThreshold='30' KeyCode='74'", 0x30, 116, 0, 0, 800},
        {"KeyCode='0x74' LongKeyCode='74' LongKeyDuration='900'", 0, 116, 116, 0, 900},
        {"KeyThreshold='1FF' Repeat='true'", 0xFF, 0, 0, 1, 800},
        {"Repeat='TRUE' LongKeyDuration='0x10' KeyCode='100000000'", 0, 0, 0, 0, 0},
        {"Repeat='1' KeyCode='-1' LongKeyDuration='4294967297'", 0, ~0u, 0, 0, 1},
    };
    std::string keys;
    for (const Case& c : cases) keys += std::string("<key_pad ") + c.attributes + "/>";
    Load("<g><enable value='100000000'/><channel_id value='100'/><KeyLevelNum value='10'/>" + keys +
         "</g>");
    const KeyArry& group = keyGroups[0];
    EXPECT_EQ(0xFFFFFFFFu, group.enable) << "a 32-bit strtoul saturates";
    EXPECT_EQ(0, group.channel_id);
    EXPECT_EQ(16, group.KeyLevelNum);
    for (size_t n = 0; n < sizeof cases / sizeof cases[0]; ++n) {
        SCOPED_TRACE(cases[n].attributes);
        EXPECT_EQ(cases[n].threshold, group.KeyThreshold[n]);
        EXPECT_EQ(cases[n].code, group.KeyCode[n]);
        EXPECT_EQ(cases[n].longCode, group.LongKeyCode[n]);
        EXPECT_EQ(cases[n].repeat, group.keyState[n].Repeat);
        EXPECT_EQ(cases[n].duration, group.LongKeyDuration[n]);
    }
}

TEST_F(KeyPars, GpioChildCountsAsAGroupWithoutBeingRead) {
    std::string log = Load(
        "<gpio><enable value='1'/></gpio><A><enable value='1'/><channel_id value='2'/></A>"
        "<B><enable value='a'/><channel_id value='1f'/></B><C><enable value='1'/></C>");
    EXPECT_TRUE(Zero(&keyGroups[0], sizeof keyGroups[0]));
    EXPECT_EQ(0xAu, keyGroups[2].enable);
    EXPECT_EQ(FileNameLine() +
                  "D/tavrion: GetBoardKeyPad nodePtr=A, i = 1\n"
                  "D/tavrion: parsKey i = 1, enable=0x1, channel=0x2\n"
                  "D/tavrion: GetBoardKeyPad nodePtr=B, i = 2\n"
                  "D/tavrion: parsKey i = 2, enable=0xa, channel=0x1f\n",
              log);

    const std::string fourGroups =
        "<a/><b/><c/><d><enable value='4'/></d><gpio><enable value='10'/>"
        "<KeyLevelNum value='1'/><key_pad GroupNum='2' PinNum='5' KeyCode='116'/></gpio>";
    KeyArry guard[4] = {};
    Load(fourGroups, false, 0);
    GetBoardKeyPad(guard, 3);
    EXPECT_TRUE(Zero(guard, sizeof guard)) << "only three groups are read";
    Load(fourGroups, true);
    EXPECT_EQ(10u, gpioKeys.enable);
    EXPECT_EQ(2 * 8 + 5, gpioKeys.GroupNum[0] * 8 + gpioKeys.PinNum[0]);
    EXPECT_EQ(116u, gpioKeys.KeyCode[0]);
}

TEST_F(KeyPars, AdcSlotsIgnoreKeyLevelNumAndStopAtEight) {
    std::string keys;
    for (int n = 0; n < 10; ++n) keys += "<key_pad KeyCode='1" + std::to_string(n) + "'/>";
    Load("<g><KeyLevelNum value='3'/><key_pad KeyCode='1'/><key_pad KeyCode='2'/></g><h>" + keys +
         "</h>");
    EXPECT_EQ(3, keyGroups[0].KeyLevelNum);
    EXPECT_EQ(0u, keyGroups[0].KeyCode[2]);
    EXPECT_EQ(0u, keyGroups[0].LongKeyDuration[2]);
    EXPECT_EQ(0x17u, keyGroups[1].KeyCode[7]);
    EXPECT_EQ(800u, keyGroups[1].LongKeyDuration[7]);
    EXPECT_TRUE(Zero(&keyGroups[2], sizeof keyGroups[2])) << "nothing written past slot 7";
}

TEST_F(KeyPars, GpioKeysTakeSlotsOnlyBelowTheKeyLevelNumSeenSoFar) {
    const std::string three =
        "<key_pad KeyCode='116'/><key_pad KeyCode='74'/><key_pad KeyCode='0x74'/>";
    std::string ten;
    for (int n = 1; n <= 10; ++n) ten += "<key_pad KeyCode='" + std::to_string(n) + "'/>";
    struct Case {
        std::string children;
        std::vector<uint32_t> codes;
    } const cases[] = {
        {"<KeyLevelNum value='3'/>" + three, {116, 74, 0, 0, 0, 0, 0, 0}},
        {"<KeyLevelNum value='2'/>" + three, {116, 74, 0, 0, 0, 0, 0, 0}},
        {three + "<KeyLevelNum value='3'/>", {0, 0, 0, 0, 0, 0, 0, 0}},
        {"<KeyLevelNum value='10'/>" + ten, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        memset(&gpioKeys, 0, sizeof gpioKeys);
        Load("<adc/><gpio>" + c.children + "</gpio>", true);
        EXPECT_EQ(c.codes, std::vector<uint32_t>(gpioKeys.KeyCode, gpioKeys.KeyCode + 8))
            << c.children;
    }
    EXPECT_TRUE(Zero(keyGroups, sizeof keyGroups));
}

TEST_F(KeyPars, FailedLoadsLogWhyAndFillNothing) {
    const std::string cantOpen = "D/tavrion: can't open the key_pad.xml\n";
    struct Case {
        const char* xml;  // nullptr: no file, so the lookup gives no path
        std::string log;
    } const cases[] = {
        {nullptr, cantOpen},
        {"<key_pad_xml><a></key_pad_xml>", FileNameLine() + cantOpen},
        {"<!-- nothing -->", FileNameLine() + "D/tavrion: key_pad.xml is empty file \n"},
        {"<root><a><enable value='1'/></a><gpio/></root>",
         FileNameLine() + "D/tavrion: document of the wrong type, root node != root\n"},
    };
    for (const Case& c : cases) {
        board.Remove("cfg/atv/etc/key_pad.xml");
        if (c.xml) board.WriteKeyPad(c.xml);
        for (bool gpio : {false, true}) {
            testing::internal::CaptureStderr();
            gpio ? GetGpioKeyPad(gpioKeys) : GetBoardKeyPad(keyGroups, 3);
            EXPECT_EQ(c.log, testing::internal::GetCapturedStderr());
            EXPECT_EQ(nullptr, keyPadDocument);
        }
    }
    EXPECT_EQ(FileNameLine(), Load("<a><enable value='1'/></a>", false, 4));
    EXPECT_TRUE(Zero(keyGroups, sizeof keyGroups) && Zero(&gpioKeys, sizeof gpioKeys));
}

TEST_F(KeyPars, EachLoadFirstDropsTheDocumentOfThePreviousOne) {
    Load("<first><enable value='5'/></first>");
    const std::string path = board.root() + "/cfg/atv/etc/key_pad.xml";
    board.WriteKeyPad("<key_pad_xml><second/></key_pad_xml>");
    testing::internal::CaptureStderr();
    tinyxml2::XMLElement* root = ReadXml(*path.c_str());
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(keyPadDocument->RootElement(), root);
    EXPECT_STREQ("second", root->FirstChildElement()->Value());

    board.Write("fail/hi_get_one_cfg_file", "1");
    Load("<a/>");
    EXPECT_EQ(nullptr, keyPadDocument) << "no path from the lookup is a failed load";
    EXPECT_EQ(5u, keyGroups[0].enable) << "a failed load keeps the layout already read";
}

}  // namespace
