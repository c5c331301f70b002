#include "helpers/IniSettings.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Orbivane::Helpers::IniSettings;
using OrbivaneTest::TempWorkDir;

namespace {

class IniSettingsTest : public ::testing::Test {
protected:
    void useFile(const std::string& contents)
    {
        m_Dir.writeFile("Orbivane.ini", contents);
        IniSettings::reload();
    }

    void TearDown() override { IniSettings::reload(); }

    TempWorkDir m_Dir;
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

TEST_F(IniSettingsTest, SplitsAtEveryEqualsSignAndKeepsTheLastPair)
{
    useFile("Width=800\na=b=c\nno equals here\n=5\n");
    const auto& values = IniSettings::values();
    EXPECT_EQ(values.at("Width"), "800");
    EXPECT_EQ(values.at("b"), "c");
    EXPECT_EQ(values.count("a"), 0u);
    // The line without '=' came first, so it owns the empty key.
    EXPECT_EQ(values.at(""), "no equals here");
}

TEST_F(IniSettingsTest, FirstOccurrenceOfAKeyWins)
{
    useFile("Width=800\nWidth=1024\n");
    EXPECT_EQ(IniSettings::getInt("Width", 640), 800);
}

TEST_F(IniSettingsTest, NothingIsTrimmed)
{
    useFile("Width = 800\nHeight=  600 \nPlayerName= Ann \n");
    EXPECT_EQ(IniSettings::getInt("Width", 640), 640);
    EXPECT_EQ(IniSettings::values().at("Width "), " 800");
    EXPECT_EQ(IniSettings::getInt("Height", 320), 600);
    EXPECT_EQ(IniSettings::getString("PlayerName", "x"), " Ann ");
}

TEST_F(IniSettingsTest, EmptyLinesAreSkippedButBlankLinesAreEntries)
{
    useFile("\n   \n[Section]\n;comment=1\n");
    const auto& values = IniSettings::values();
    EXPECT_EQ(values.at(""), "   ");
    EXPECT_EQ(values.at(";comment"), "1");
    EXPECT_EQ(values.size(), 2u);
}

TEST_F(IniSettingsTest, WindowsLineEndsReadTheSame)
{
    useFile("Width=800\r\nPlayerName=Ann\r\nHeight=600");
    EXPECT_EQ(IniSettings::getInt("Width", 640), 800);
    EXPECT_EQ(IniSettings::getString("PlayerName", ""), "Ann");
    EXPECT_EQ(IniSettings::getInt("Height", 320), 600);
}

TEST_F(IniSettingsTest, IntegersStopAtTheFirstNonDigit)
{
    useFile("A=12abc\nB=1.9\nC=  -7\nD=+3\n");
    EXPECT_EQ(IniSettings::getInt("A", 0), 12);
    EXPECT_EQ(IniSettings::getInt("B", 0), 1);
    EXPECT_EQ(IniSettings::getInt("C", 0), -7);
    EXPECT_EQ(IniSettings::getInt("D", 0), 3);
}

TEST_F(IniSettingsTest, ConversionErrorsCarryReadableTexts)
{
    useFile("FullScreen=true\nEmpty=\nBlank= x\nHuge=99999999999\nNegativeHuge=-99999999999\n");
    EXPECT_EQ(conversionError("FullScreen"), "invalid_argument: invalid stoi argument");
    EXPECT_EQ(conversionError("Empty"), "invalid_argument: invalid stoi argument");
    EXPECT_EQ(conversionError("Blank"), "invalid_argument: invalid stoi argument");
    EXPECT_EQ(conversionError("Huge"), "out_of_range: stoi argument out of range");
    EXPECT_EQ(conversionError("NegativeHuge"), "out_of_range: stoi argument out of range");
    EXPECT_THROW(IniSettings::getFlag("FullScreen", false), std::invalid_argument);
}

TEST_F(IniSettingsTest, OnlyTheNumberOneSwitchesAFlagOn)
{
    useFile("A=1\nB=0\nC=2\nD=-1\nE=01x\nLevelsEnabled=0\n");
    EXPECT_TRUE(IniSettings::getFlag("A", false));
    EXPECT_FALSE(IniSettings::getFlag("B", true));
    EXPECT_FALSE(IniSettings::getFlag("C", true));
    EXPECT_FALSE(IniSettings::getFlag("D", true));
    EXPECT_TRUE(IniSettings::getFlag("E", false));
    EXPECT_FALSE(IniSettings::getFlag("LevelsEnabled", true));
    EXPECT_TRUE(IniSettings::getFlag("Missing", true));
}

TEST_F(IniSettingsTest, EmptyValueIsPresentForStrings)
{
    useFile("PlayerName=\nPlayerName=Ann=Lee\n");
    EXPECT_EQ(IniSettings::getString("PlayerName", "Mr. Gorgeous!"), "");
    EXPECT_EQ(IniSettings::getString("Ann", ""), "Lee");
}
