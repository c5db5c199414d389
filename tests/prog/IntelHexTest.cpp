#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <random>
#include <sstream>

#include "IntelHex.h"

namespace {
// A record text with its checksum.
std::string Rec(const std::string& body) {
    std::string r = ":" + body;
    AppendHexChecksum(r);
    return r + "\r\n";
}

std::vector<uint8_t> Bytes(const IntelHexFile& f, const HexRecord& r) {
    auto d = f.Data(r);
    return {d.begin(), d.end()};
}

bool HasTrace(const IntelHexFile& f, const std::string& line) {
    return std::find(f.TraceLines().begin(), f.TraceLines().end(), line) != f.TraceLines().end();
}
}  // namespace

TEST(IntelHex, ChecksumOfAGivenRecord) {
    std::string r = ":0300300002337a";
    EXPECT_EQ(AppendHexChecksum(r), 0x1E);
    EXPECT_EQ(r, ":0300300002337A1E");
    std::string eof = ":00000001";
    EXPECT_EQ(AppendHexChecksum(eof), 0xFF);
}

TEST(IntelHex, ReaderCases) {
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        std::vector<std::pair<uint32_t, std::vector<uint8_t>>> records;
        std::vector<std::string> trace;
    };
    const std::string eof = ":00000001FF\r\n";
    const Case cases[] = {
        {"only an end record", eof, false, {}, {}},
        {"empty text", "", false, {}, {}},
        {"bad checksum skipped", Rec("0200000011AA") + ":02000200112200\r\n" + eof, true,
         {{0x0000, {0x11, 0xAA}}}, {"IntelHex: Error, in line 2\n", "IntelHex: 1 Zeilen eingelesen\n"}},
        {"extended linear address", Rec("020000040001") + Rec("02001000A1B2") + eof, true,
         {{0x10010, {0xA1, 0xB2}}}, {"IntelHex: extended linear addressing, address = 0x00010000\n"}},
        {"out of order sorted", Rec("0100200003") + Rec("0100000001") + Rec("0100100002") + eof, true,
         {{0x00, {1}}, {0x10, {2}}, {0x20, {3}}}, {}},
        {"extra record after the end", eof + Rec("0100050007"), true, {{0x05, {7}}},
         {"IntelHex: Extra line after End of File Record\n"}},
        {"start linear and unsupported types", Rec("0400000508000131") + Rec("020000021000") + Rec("0100000042") + eof,
         true, {{0x0, {0x42}}},
         {"IntelHex: start linear address, address = 0x08000131\n", "IntelHex: unsupported line type = 2\n"}},
        {"too short, bad digits, short type 04", ":0100\r\n" + Rec("01000000ZZ") + Rec("0100000004") + Rec("010000040A") +
             Rec("0100010055") + eof,
         true, {{0x0, {0x04}}, {0x1, {0x55}}},
         {"IntelHex: Error, in line 1\n", "IntelHex: Error, in line 2\n", "IntelHex: Error, in line 4\n"}},
        {"lower case and a long record", ":0400000001020304f2\n" + Rec(std::string("20004000") + std::string(64, 'E')) + eof,
         true, {{0x0, {1, 2, 3, 4}}, {0x40, std::vector<uint8_t>(32, 0xEE)}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IntelHexFile f;
        ASSERT_EQ(f.Read(c.text), c.ok);
        if (!c.ok) {
            EXPECT_EQ(f.Error(), "keine gültige Hex-Datei");
            EXPECT_TRUE(f.Records().empty());
            continue;
        }
        ASSERT_EQ(f.Records().size(), c.records.size());
        for (size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(f.Records()[i].address, c.records[i].first) << i;
            EXPECT_EQ(Bytes(f, f.Records()[i]), c.records[i].second) << i;
        }
        for (const auto& line : c.trace) EXPECT_TRUE(HasTrace(f, line)) << line;
    }
}

TEST(IntelHex, ReadReplacesThePreviousFile) {
    IntelHexFile f;
    ASSERT_TRUE(f.Read(Rec("0400000508000131") + Rec("0100000001") + ":00000001FF"));
    EXPECT_EQ(f.StartLinearAddress(), 0x08000131u);
    ASSERT_TRUE(f.Read(Rec("0100100002") + ":00000001FF"));
    EXPECT_EQ(f.StartLinearAddress(), 0u);
    ASSERT_EQ(f.Records().size(), 1u);
    EXPECT_EQ(f.Records()[0].address, 0x10u);
}

TEST(IntelHex, EmitterStartsAtTheFirstRecordAndFillsGaps) {
    // 0x100: 01..05; 0x107: 06 07 (gap of 2 inside an 8-byte record); 0x200: 08 (gap too large).
    IntelHexFile f;
    ASSERT_TRUE(f.Read(Rec("050100000102030405") + Rec("020107000607") + Rec("0102000008") + ":00000001FF"));
    EmittedHexRecord r;
    EXPECT_EQ(f.EmitNextRecord(r, 0), HEX_EMIT_RESET);
    EXPECT_EQ(f.EmitNextRecord(r, 8), HEX_EMIT_FULL);
    EXPECT_EQ(r.address, 0x100u);
    EXPECT_EQ(r.text, Rec("080100000102030405FFFF06").substr(0, 27));
    EXPECT_EQ(f.EmitNextRecord(r, 8), HEX_EMIT_FULL);  // 07, then FF up to the end of the record
    EXPECT_EQ(r.address, 0x108u);
    EXPECT_EQ(r.bytes, (std::vector<uint8_t>{0x07, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(f.EmitNextRecord(r, 8), HEX_EMIT_END);
    EXPECT_EQ(r.address, 0x200u);
    EXPECT_EQ(r.text, Rec("0102000008").substr(0, 13));
    // A reset starts again at the first record.
    f.EmitNextRecord(r, 0);
    f.EmitNextRecord(r, 16);
    EXPECT_EQ(r.address, 0x100u);
}

TEST(IntelHex, ImagePlacesEveryByteAtItsAddress) {
    IntelHexFile f;
    ASSERT_TRUE(f.Read(Rec("020000040001") + Rec("030010000A0B0C") + Rec("020030000D0E") + Rec("0100130001") +
                       ":00000001FF"));
    HexImage image;
    bool empty = true;
    ASSERT_TRUE(BuildHexImage(f, image, empty));
    EXPECT_EQ(image.start, 0x10010u);
    std::vector<uint8_t> expected(0x22, 0xFF);
    expected[0] = 0x0A, expected[1] = 0x0B, expected[2] = 0x0C, expected[3] = 0x01;
    expected[0x20] = 0x0D, expected[0x21] = 0x0E;
    EXPECT_EQ(image.bytes, expected);

    ASSERT_TRUE(f.Read(Rec("020000040000") + ":00000001FF"));
    EXPECT_FALSE(BuildHexImage(f, image, empty));
    EXPECT_TRUE(empty);
    // An image spanning more than the limit is refused, not allocated.
    ASSERT_TRUE(f.Read(Rec("0100000001") + Rec("020000047000") + Rec("0100000002") + ":00000001FF"));
    EXPECT_FALSE(BuildHexImage(f, image, empty));
    EXPECT_FALSE(empty);
}

TEST(IntelHex, WrittenImageReadsBack) {
    std::mt19937 rng(7);
    HexImage image{0xFFF0, std::vector<uint8_t>(300)};
    for (auto& b : image.bytes) b = static_cast<uint8_t>(rng());
    IntelHexFile f;
    ASSERT_TRUE(f.Read(WriteIntelHex(image, 32)));
    HexImage back;
    bool empty = false;
    ASSERT_TRUE(BuildHexImage(f, back, empty));
    EXPECT_EQ(back.start, image.start);
    EXPECT_EQ(back.bytes, image.bytes);
}

#if defined(SREC_CAT)
namespace {
bool SrecCat(const QStringList& args) {
    QProcess p;
    p.start(SREC_CAT, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

// Files written by srec_cat (random data in blocks with gaps, across 64 KiB pages and so with
// type 04 records, several line lengths) read back identical to srec_cat's own binary of them.
TEST(IntelHex, ReadsWhatSrecCatWritesAsSrecCatReadsIt) {
    QTemporaryDir dir;
    const QString hex = dir.filePath("in.hex"), bin = dir.filePath("out.bin");
    const char* layouts[][2] = {
        {"0x0000 0x0400 0x0800 0x0813 0xFFF0 0x10220", "16"},
        {"0x1000 0x1001 0x1010 0x2FFF 0x3000 0x3100", "32"},
        {"0x20000 0x20005 0x2FFFE 0x30010 0x50000 0x50200", "255"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout[0]);
        QStringList args;
        const QStringList bounds = QString(layout[0]).split(' ');
        for (int i = 0; i + 1 < bounds.size(); i += 2) args << "-generate" << bounds[i] << bounds[i + 1] << "-random";
        args << "-o" << hex << "-intel" << "-output_block_size=" + QString(layout[1]);
        ASSERT_TRUE(SrecCat(args));
        // srec_cat's image: gaps filled with 0xFF, shifted to start at the lowest address.
        ASSERT_TRUE(SrecCat({hex, "-intel", "-fill", "0xFF", "-over", hex, "-intel", "-o", bin, "-binary"}));
        IntelHexFile f;
        ASSERT_TRUE(f.Read(ReadAll(hex)));
        HexImage image;
        bool empty = false;
        ASSERT_TRUE(BuildHexImage(f, image, empty));
        ASSERT_EQ(image.start, bounds[0].toUInt(nullptr, 16));
        const std::string expected = ReadAll(bin).substr(image.start);
        ASSERT_EQ(image.bytes.size(), expected.size());
        EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.end(), expected.begin(),
                               [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
    }
}
#endif
