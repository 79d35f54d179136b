#include "export/CRC.h"

#include "export/CRCOracle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

uint32_t Crc(const std::string& text) { return CalcCRC(text.data(), text.size()); }

std::vector<unsigned char> RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<unsigned char> bytes(count);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random());
    return bytes;
}

// Every way of computing the checksum that this processor supports.
std::vector<TCRCMethod> Methods()
{
    std::vector<TCRCMethod> methods;
    for (const auto method : {TCRCMethod::Tables, TCRCMethod::Clmul, TCRCMethod::WideClmul})
        if (CRCMethodSupported(method))
            methods.push_back(method);
    return methods;
}

TEST(CRCTest, ReferenceValues)
{
    EXPECT_EQ(CalcCRC(nullptr, 0), 0u);
    EXPECT_EQ(Crc("abc"), 0x0C5498F2u);
    EXPECT_EQ(Crc("123456789"), 0x57E3F37Cu);
    EXPECT_EQ(Crc(std::string(1, '\0')), 0x2DFD1072u);
    EXPECT_EQ(Crc(std::string(16, '\0')), 0x1344B4AAu);
    // The oracle itself gives the same reference values.
    EXPECT_EQ(BitwiseCRC(reinterpret_cast<const unsigned char*>("abc"), 3), 0x0C5498F2u);
    EXPECT_EQ(BitwiseCRC(reinterpret_cast<const unsigned char*>("123456789"), 9), 0x57E3F37Cu);
}

TEST(CRCTest, MatchesBitwiseAtEveryLengthAndAlignment)
{
    const auto bytes = RandomBytes(4096 + 64, 1);
    for (std::size_t length = 0; length <= 4096; ++length) {
        const std::size_t offset = length % 16;
        const uint32_t expected = BitwiseCRC(bytes.data() + offset, length);
        ASSERT_EQ(CalcCRC(bytes.data() + offset, length), expected) << "length " << length << " offset " << offset;
        for (const TCRCMethod method : Methods())
            ASSERT_EQ(CalcCRCWith(method, bytes.data() + offset, length), expected)
                << "length " << length << " method " << static_cast<int>(method);
    }
    for (std::size_t offset = 0; offset < 64; ++offset) {
        for (const std::size_t length : {63, 64, 65, 127, 128, 129, 255, 256, 257, 1000, 4000}) {
            const uint32_t expected = BitwiseCRC(bytes.data() + offset, length);
            for (const TCRCMethod method : Methods())
                ASSERT_EQ(CalcCRCWith(method, bytes.data() + offset, length), expected)
                    << "length " << length << " offset " << offset << " method " << static_cast<int>(method);
        }
    }
}

TEST(CRCTest, MatchesBitwiseOnSpecialPatterns)
{
    for (const unsigned char fill : {0x00, 0xFF, 0x80, 0x01}) {
        for (const std::size_t length : {1, 15, 16, 17, 64, 80, 1024, 70000}) {
            const std::vector<unsigned char> bytes(length, fill);
            const uint32_t expected = BitwiseCRC(bytes.data(), length);
            for (const TCRCMethod method : Methods())
                ASSERT_EQ(CalcCRCWith(method, bytes.data(), length), expected)
                    << "fill " << int(fill) << " length " << length << " method " << static_cast<int>(method);
        }
    }
}

TEST(CRCTest, StreamEqualsOneShotForAnySplit)
{
    const auto bytes = RandomBytes(3000, 2);
    const uint32_t whole = CalcCRC(bytes.data(), bytes.size());
    for (std::size_t cut = 0; cut <= bytes.size(); cut += 37) {
        TCRCStream stream;
        stream.Add(bytes.data(), cut);
        stream.Add(bytes.data() + cut, 0);
        stream.Add(bytes.data() + cut, bytes.size() - cut);
        ASSERT_EQ(stream.Value(), whole) << "cut " << cut;
    }
    TCRCStream empty;
    empty.Add(nullptr, 0);
    EXPECT_EQ(empty.Value(), 0u);
}

// Every method gives the checksum, also one this processor lacks (it falls
// back to the tables), so a bank never depends on the machine that wrote it.
TEST(CRCTest, EveryMethodGivesTheChecksumSupportedOrNot)
{
    EXPECT_TRUE(CRCMethodSupported(TCRCMethod::Tables));
    const auto bytes = RandomBytes(1000, 3);
    for (const auto method : {TCRCMethod::Tables, TCRCMethod::Clmul, TCRCMethod::WideClmul})
        for (const std::size_t length : {1, 16, 255, 1000})
            EXPECT_EQ(CalcCRCWith(method, bytes.data(), length), BitwiseCRC(bytes.data(), length))
                << "method " << static_cast<int>(method) << " length " << length;
}

// The checksum catches what a bank's checker must: any one or two flipped
// bits of a block change it, wherever they are.
TEST(CRCTest, AnyOneOrTwoFlippedBitsChangeTheChecksum)
{
    auto bytes = RandomBytes(48, 4);
    const uint32_t whole = CalcCRC(bytes.data(), bytes.size());
    const std::size_t bits = bytes.size() * 8;
    const auto flip = [&bytes](std::size_t Bit) { bytes[Bit / 8] ^= static_cast<unsigned char>(1u << (Bit % 8)); };
    for (std::size_t a = 0; a < bits; ++a) {
        flip(a);
        ASSERT_NE(CalcCRC(bytes.data(), bytes.size()), whole) << "bit " << a;
        for (std::size_t b = a + 1; b < bits; ++b) {
            flip(b);
            ASSERT_NE(CalcCRC(bytes.data(), bytes.size()), whole) << "bits " << a << ", " << b;
            flip(b);
        }
        flip(a);
    }
}

} // namespace
