#include "helpers/IniSettings.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Orbivane::Helpers::IniSettings;

namespace {

class IniSettingsTest : public ::testing::Test {
protected:
    void useFile(const std::string& contents) const { m_Dir.useSettings(contents); }

    OrbivaneTest::TempWorkDir m_Dir;
};

std::string conversionError(const std::string& key)
{
    try {
        IniSettings::getInt(key, 0);
    } catch (const std::invalid_argument& e) {
        return std::string("invalid_argument: ") + e.what();
    } catch (const std::out_of_range& e) {
        return std::string("out_of_range: ") + e.what();
    }
    return "no exception";
}

}

TEST_F(IniSettingsTest, MissingFileGivesEveryDefault)
{
    IniSettings::reload();
    EXPECT_TRUE(IniSettings::values().empty());
    EXPECT_EQ(IniSettings::getInt("Width", 640), 640);
    EXPECT_TRUE(IniSettings::getFlag("LevelsEnabled", true));
    EXPECT_EQ(IniSettings::getString("PlayerName", "Mr. Gorgeous!"), "Mr. Gorgeous!");
}

TEST_F(IniSettingsTest, LinesSplitAtEveryEqualsSignAndTheFirstOccurrenceOfAKeyWins)
{
    // The line without '=' comes first, so it owns the empty key; blank lines are entries, empty ones are not.
    useFile("Width=800\r\na=b=c\nno equals here\n=5\nWidth=1024\n\n   \n;comment=1\nPlayerName=Ann\r\nHeight=600");
    const std::map<std::string, std::string> expected{{"Width", "800"}, {"b", "c"},          {"", "no equals here"},
                                                      {";comment", "1"}, {"PlayerName", "Ann"}, {"Height", "600"}};
    EXPECT_EQ(IniSettings::values(), expected);
}

TEST_F(IniSettingsTest, ValuesAreReadAsWrittenWithNothingTrimmed)
{
    useFile("Width = 800\nHeight=  600 \nPlayerName= Ann \nA=12abc\nB=1.9\nC=  -7\nD=+3\nEmpty=\nEmpty=x\n"
            "On=1\nOff=0\nTwo=2\nMinus=-1\nLeading=01x\n");
    EXPECT_EQ(IniSettings::getInt("Width", 640), 640) << "the key is \"Width \"";
    EXPECT_EQ(IniSettings::getString("PlayerName", "x"), " Ann ");
    EXPECT_EQ(IniSettings::getString("Empty", "x"), "");
    // Integers skip leading blanks and stop at the first character that is not a digit.
    for (const auto& [key, value] : {std::pair{"Height", 600}, {"A", 12}, {"B", 1}, {"C", -7}, {"D", 3}}) {
        EXPECT_EQ(IniSettings::getInt(key, 0), value) << key;
    }
    // Only the number one switches a flag on.
    for (const auto& [key, value] : {std::pair{"On", true}, {"Off", false}, {"Two", false}, {"Minus", false},
                                     {"Leading", true}}) {
        EXPECT_EQ(IniSettings::getFlag(key, !value), value) << key;
    }
    EXPECT_TRUE(IniSettings::getFlag("Missing", true));
}

TEST_F(IniSettingsTest, ConversionErrorsCarryReadableTexts)
{
    useFile("FullScreen=true\nEmpty=\nBlank= x\nHuge=99999999999\nNegativeHuge=-99999999999\n");
    for (const char* key : {"FullScreen", "Empty", "Blank"}) {
        EXPECT_EQ(conversionError(key), "invalid_argument: invalid stoi argument") << key;
    }
    for (const char* key : {"Huge", "NegativeHuge"}) {
        EXPECT_EQ(conversionError(key), "out_of_range: stoi argument out of range") << key;
    }
    EXPECT_THROW(IniSettings::getFlag("FullScreen", false), std::invalid_argument);
}
