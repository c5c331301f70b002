#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string bytesOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}

// The README shows the committed copy; it must be what the generator makes today.
TEST(ContactSheet, TheReadmeCopyMatchesTheGeneratedSheet)
{
    const std::string generated = bytesOf(ORBIVANE_BINARY_DIR "/contact_sheet.png");
    ASSERT_FALSE(generated.empty());
    EXPECT_TRUE(generated == bytesOf(ORBIVANE_SOURCE_DIR "/docs/contact_sheet.png"))
        << "copy build/contact_sheet.png to docs/ after changing the generator";
}
