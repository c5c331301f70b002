#include "helpers/DefaultSettings.h"
#include "helpers/IniSettings.h"
#include "support/GLTestContext.h"
#include "support/TempWorkDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
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

TEST_F(IniSettingsTest, RangeCheckedLookupsGiveTheDefaultAndNameTheKeyForAnUnusableValue)
{
    useFile("Good=  42 \nHalf=0.5\nLow=-1\nHigh=101\nWord=abc\nTail=5x\nEmpty=\nNan=nan\nPlus=+7\n");
    struct Case {
        const char* key;
        double expected;
        const char* console;
    };
    const Case cases[] = {
        {"Good", 42, ""},
        {"Plus", 7, ""},
        {"Missing", 10, ""},
        {"Low", 10, "Orbivane.ini: Low=-1 is not a number from 0 to 100; using 10\n"},
        {"High", 10, "Orbivane.ini: High=101 is not a number from 0 to 100; using 10\n"},
        {"Word", 10, "Orbivane.ini: Word=abc is not a number from 0 to 100; using 10\n"},
        {"Tail", 10, "Orbivane.ini: Tail=5x is not a number from 0 to 100; using 10\n"},
        {"Empty", 10, "Orbivane.ini: Empty= is not a number from 0 to 100; using 10\n"},
        {"Nan", 10, "Orbivane.ini: Nan=nan is not a number from 0 to 100; using 10\n"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(IniSettings::getDecimalInRange(c.key, 10.0, 0.0, 100.0), c.expected) << c.key;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console) << c.key;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(IniSettings::getDecimalInRange("Half", 1.0, 0.1, 10.0), 0.5);
    EXPECT_EQ(IniSettings::getIntInRange("Half", 3, 0, 100), 3) << "a decimal where a whole number is expected";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Orbivane.ini: Half=0.5 is not a whole number from 0 to 100; using 3\n");
}

// The written file names every key of the README's settings table, and read
// back it sets no key a lookup asks for. Whatever has the file's name, even
// a link to nothing, is never written; a folder that cannot take the file
// gets one console line.
TEST_F(IniSettingsTest, DefaultFileNamesEveryReadmeKeyChangesNothingAndIsWrittenOnlyWhereNothingIs)
{
    const auto write = [](const std::string& name) {
        return OrbivaneTest::consoleOf([&name] { Orbivane::Helpers::DefaultSettings::writeIfMissing(name); });
    };
    EXPECT_EQ(write("Orbivane.ini"), "Orbivane.ini written with the default settings\n");
    const std::string file = m_Dir.readFile("Orbivane.ini");
    std::ifstream in(ORBIVANE_SOURCE_DIR "/README.md");
    const std::string readme(std::istreambuf_iterator<char>(in), {});
    const std::size_t from = readme.find("\n## Settings\n");
    ASSERT_NE(from, std::string::npos);
    const std::string table = readme.substr(from, readme.find("\n## ", from + 1) - from);
    const std::regex firstCell("\n\\| ((`\\w+`(, )?)+) \\|"), key("`(\\w+)`");
    for (std::sregex_iterator row(table.begin(), table.end(), firstCell), end; row != end; ++row) {
        const std::string cell = (*row)[1];
        for (std::sregex_iterator name(cell.begin(), cell.end(), key); name != end; ++name) {
            EXPECT_NE(file.find("\n# " + (*name)[1].str() + "="), std::string::npos) << (*name)[1];
        }
    }
    IniSettings::reload();
    for (const auto& [key, value] : IniSettings::values()) {
        EXPECT_TRUE(key.empty() || key.rfind("# ", 0) == 0) << key;
    }

    m_Dir.writeFile("Orbivane.ini", "Width=800\n");
    std::filesystem::create_symlink("absent.ini", m_Dir.path() / "link.ini");
    EXPECT_EQ(write("Orbivane.ini") + write("link.ini"), "");
    EXPECT_EQ(m_Dir.readFile("Orbivane.ini"), "Width=800\n");
    EXPECT_FALSE(std::filesystem::exists(m_Dir.path() / "absent.ini"));
    EXPECT_EQ(write("missing/Orbivane.ini"), "missing/Orbivane.ini could not be written: No such file or directory\n");
}
