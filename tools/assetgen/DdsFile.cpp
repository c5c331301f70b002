#include "DdsFile.h"

#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace AssetGen {

namespace {

constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kPixelFormatSize = 32;

constexpr std::uint32_t kFlagCaps = 0x1;
constexpr std::uint32_t kFlagHeight = 0x2;
constexpr std::uint32_t kFlagWidth = 0x4;
constexpr std::uint32_t kFlagPixelFormat = 0x1000;
constexpr std::uint32_t kFlagMipmapCount = 0x20000;
constexpr std::uint32_t kFlagLinearSize = 0x80000;
constexpr std::uint32_t kPixelFormatFourCC = 0x4;
constexpr std::uint32_t kCapsComplex = 0x8;
constexpr std::uint32_t kCapsTexture = 0x1000;
constexpr std::uint32_t kCapsMipmap = 0x400000;

// Byte offsets within the header, counted after the magic.
constexpr std::size_t kHeightOffset = 8;
constexpr std::size_t kWidthOffset = 12;
constexpr std::size_t kLinearSizeOffset = 16;
constexpr std::size_t kMipmapCountOffset = 24;
constexpr std::size_t kPixelFormatOffset = 72;
constexpr std::size_t kCapsOffset = 104;

void put32(std::array<std::uint8_t, kHeaderSize>& header, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        header[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t get32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    if (offset + 4 > bytes.size()) {
        throw std::runtime_error("DDS file is truncated");
    }
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::uint32_t fourCC(const char* code)
{
    return static_cast<std::uint32_t>(code[0]) | (static_cast<std::uint32_t>(code[1]) << 8) |
           (static_cast<std::uint32_t>(code[2]) << 16) | (static_cast<std::uint32_t>(code[3]) << 24);
}

}

void DdsFile::writeDxt5(const std::filesystem::path& file, int width, int height,
                        const std::vector<std::vector<std::uint8_t>>& levels)
{
    std::array<std::uint8_t, kHeaderSize> header{};
    put32(header, 0, kHeaderSize);
    put32(header, 4, kFlagCaps | kFlagHeight | kFlagWidth | kFlagPixelFormat | kFlagMipmapCount | kFlagLinearSize);
    put32(header, kHeightOffset, static_cast<std::uint32_t>(height));
    put32(header, kWidthOffset, static_cast<std::uint32_t>(width));
    put32(header, kLinearSizeOffset, static_cast<std::uint32_t>(levels.front().size()));
    put32(header, kMipmapCountOffset, static_cast<std::uint32_t>(levels.size()));
    put32(header, kPixelFormatOffset, kPixelFormatSize);
    put32(header, kPixelFormatOffset + 4, kPixelFormatFourCC);
    put32(header, kPixelFormatOffset + 8, fourCC("DXT5"));
    put32(header, kCapsOffset, kCapsTexture | kCapsMipmap | kCapsComplex);

    std::ofstream out(file, std::ios::binary);
    out.write("DDS ", 4);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (const std::vector<std::uint8_t>& level : levels) {
        out.write(reinterpret_cast<const char*>(level.data()), static_cast<std::streamsize>(level.size()));
    }
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

RgbaImage DdsFile::readDxt5Level0(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 4 + kHeaderSize || get32(bytes, 0) != fourCC("DDS ") ||
        get32(bytes, 4 + kPixelFormatOffset + 8) != fourCC("DXT5")) {
        throw std::runtime_error("not a DXT5 DDS file: " + file.string());
    }
    const auto width = static_cast<int>(get32(bytes, 4 + kWidthOffset));
    const auto height = static_cast<int>(get32(bytes, 4 + kHeightOffset));
    constexpr int kLargest = 16384;
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest ||
        bytes.size() < 4 + kHeaderSize + Dxt5::compressedSize(width, height)) {
        throw std::runtime_error("DDS file is truncated: " + file.string());
    }
    return Dxt5::decompress(bytes.data() + 4 + kHeaderSize, width, height);
}

}
