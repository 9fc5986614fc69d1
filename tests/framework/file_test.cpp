// The file layer and the read calls: handles, line reading byte for byte,
// Shift-JIS pairs, end of file, and bad handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <vector>
#include <unistd.h>

#include "framework/file/file_layer.h"
#include "framework/framework.h"
#include "tests/support/files.h"

namespace {

std::string Line(int fh, int size = 256) {
    char buf[512];
    int n = FileReadLine(buf, size, fh);
    if (n < 0) return "<eof>";
    EXPECT_EQ(static_cast<int>(strlen(buf)), n);
    return std::string(buf, n);
}

} // namespace

TEST(File, HandlesAreTaggedAndFailuresReturnZero) {
    WriteBytes("a.txt", "x");
    int fh = FileOpenRead("a.txt");
    EXPECT_EQ(static_cast<unsigned>(fh), 0xF0000001u);
    int fh2 = FileOpenRead("./sub/../a.txt");
    EXPECT_EQ(static_cast<unsigned>(fh2), 0xF0000002u);
    EXPECT_EQ(FileOpenRead("missing.txt"), 0);
    mkdir("adir", 0700);
    EXPECT_EQ(FileOpenRead("adir"), 0);
    EXPECT_EQ(FileCloseRead(fh), 0);
    EXPECT_EQ(static_cast<unsigned>(FileOpenRead("a.txt")), 0xF0000001u) << "lowest free entry";
    EXPECT_EQ(FileCloseRead(fh), 0);
    EXPECT_EQ(FileCloseRead(fh), -1) << "closing twice";
    EXPECT_EQ(FileCloseRead(0), -1);
    EXPECT_EQ(FileReadChar(0x12345678), -1);
    EXPECT_EQ(FileReadChar(fh), -1);
    char buf[8];
    EXPECT_EQ(FileReadLine(buf, sizeof buf, fh), -1);
    EXPECT_EQ(FileAtEnd(fh), -1);
    FileCloseRead(fh2);
}

TEST(File, TableHoldsAtMost512Files) {
    WriteBytes("a.txt", "x");
    int handles[512];
    for (int i = 0; i < 512; i++) {
        handles[i] = FileOpenRead("a.txt");
        ASSERT_NE(handles[i], 0) << i;
    }
    EXPECT_EQ(FileOpenRead("a.txt"), 0);
    for (int h : handles) FileCloseRead(h);
    EXPECT_EQ(FileLayerOpenCount(), 0);
}

TEST(File, PathsNormalise) {
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    EXPECT_EQ(FileNormalisePath("dat\\csv\\.\\x.csv"), std::string(cwd) + "/dat/csv/x.csv");
    EXPECT_EQ(FileNormalisePath("a/b/../../c"), std::string(cwd) + "/c");
    EXPECT_EQ(FileNormalisePath("/x//y/./z/.."), "/x/y");
    EXPECT_EQ(FileNormalisePath("/../.."), "/");
}

TEST(File, OnlyCrLfEndsALine) {
    WriteBytes("l.txt", std::string("a,b\r\nc"));
    int fh = FileOpenRead("l.txt");
    EXPECT_EQ(Line(fh), "a,b");
    EXPECT_EQ(Line(fh), "c");
    EXPECT_EQ(Line(fh), "<eof>");
    FileCloseRead(fh);

    WriteBytes("lf.txt", std::string("a\nb\r\n\r\nz\r"));
    fh = FileOpenRead("lf.txt");
    EXPECT_EQ(Line(fh), "a\nb");
    EXPECT_EQ(Line(fh), "") << "an empty line";
    EXPECT_EQ(Line(fh), "z\r") << "a lone CR is text";
    EXPECT_EQ(Line(fh), "<eof>");
    FileCloseRead(fh);
}

TEST(File, LongLinesComeInPiecesAndNeverSplitAPair) {
    // 254 ASCII bytes, then a pair whose lead byte is the 255th byte.
    std::string text(254, 'x');
    text += "\x82\xa0";
    text += "tail\r\n";
    WriteBytes("long.txt", text);
    int fh = FileOpenRead("long.txt");
    EXPECT_EQ(Line(fh), std::string(254, 'x'));
    EXPECT_EQ(Line(fh), "\x82\xa0tail");
    EXPECT_EQ(Line(fh), "<eof>");
    FileCloseRead(fh);

    // 255 bytes exactly fill the buffer; the rest comes next.
    WriteBytes("long2.txt", std::string(255, 'y') + "zz\r\n");
    fh = FileOpenRead("long2.txt");
    EXPECT_EQ(Line(fh), std::string(255, 'y'));
    EXPECT_EQ(Line(fh), "zz");
    FileCloseRead(fh);

    // A pair's trail byte of 0x0D is not the CR of a line end.
    WriteBytes("pair.txt", std::string("\x81\r\n\r\nq"));
    fh = FileOpenRead("pair.txt");
    EXPECT_EQ(Line(fh), std::string("\x81\r\n"));
    EXPECT_EQ(Line(fh), "q");
    FileCloseRead(fh);

    // A buffer of one byte has no room for a byte of the line: nothing is
    // read, which reports -1 (so a reading loop ends) and leaves "".
    fh = FileOpenRead("long2.txt");
    char one[1] = {'?'};
    EXPECT_EQ(FileReadLine(one, 1, fh), -1);
    EXPECT_EQ(one[0], 0);
    EXPECT_EQ(Line(fh), std::string(255, 'y')) << "and the position has not moved";
    FileCloseRead(fh);
}

// A CR that is the last byte the buffer takes, with the LF next in the file,
// still ends the line: the text holds no CR and the next line no LF.
TEST(File, CrLfCutByTheBufferEndsTheLine) {
    struct Case { std::string bytes; int size; std::vector<std::string> lines; };
    const Case cases[] = {
        {std::string(254, 'x') + "\r\nnext\r\n", 256, {std::string(254, 'x'), "next", "<eof>"}},
        {"ab\r\ncd", 4, {"ab", "cd", "<eof>"}},
        {"\r\n\r\nq", 2, {"", "", "q", "<eof>"}},
        {"ab\rc\r\n", 4, {"ab\r", "c", "<eof>"}},         // a CR before other text stays text
        {"abc\r", 5, {"abc\r", "<eof>"}},                  // and so does one that ends the file
    };
    for (const Case& c : cases) {
        WriteBytes("cut.txt", c.bytes);
        int fh = FileOpenRead("cut.txt");
        for (const std::string& want : c.lines) EXPECT_EQ(Line(fh, c.size), want) << c.size;
        FileCloseRead(fh);
    }
}

TEST(File, LoneLeadByteAtTheEndIsReturnedThenEnd) {
    WriteBytes("lone.txt", std::string("ab\x82"));
    int fh = FileOpenRead("lone.txt");
    EXPECT_EQ(Line(fh), "ab");
    EXPECT_EQ(Line(fh), "\x82");
    EXPECT_EQ(Line(fh), "<eof>");
    FileCloseRead(fh);

    // A two-byte buffer cannot hold a pair: the lead byte comes alone, and
    // every call makes progress.
    WriteBytes("tiny.txt", std::string("\x82\xa0"));
    fh = FileOpenRead("tiny.txt");
    EXPECT_EQ(Line(fh, 2), "\x82");
    EXPECT_EQ(Line(fh, 2), "\xa0");
    EXPECT_EQ(Line(fh, 2), "<eof>");
    FileCloseRead(fh);
}

TEST(File, AtEndIsTrueBeforeTheFailingRead) {
    WriteBytes("c.txt", "ab");
    int fh = FileOpenRead("c.txt");
    EXPECT_EQ(FileAtEnd(fh), 0);
    EXPECT_EQ(FileReadChar(fh), 'a');
    EXPECT_EQ(FileReadChar(fh), 'b');
    EXPECT_EQ(FileAtEnd(fh), 1);
    EXPECT_EQ(FileReadChar(fh), -1);
    EXPECT_EQ(FileReadChar(fh), -1);
    FileCloseRead(fh);

    WriteBytes("hi.txt", "\xff\x80");
    fh = FileOpenRead("hi.txt");
    EXPECT_EQ(FileReadChar(fh), 255);
    EXPECT_EQ(FileReadChar(fh), 128);
    FileCloseRead(fh);

    WriteBytes("empty.txt", "");
    fh = FileOpenRead("empty.txt");
    ASSERT_NE(fh, 0);
    EXPECT_EQ(FileAtEnd(fh), 1);
    EXPECT_EQ(Line(fh), "<eof>");
    FileCloseRead(fh);
}

TEST(File, LayerReadsWholeElementsAndSeeks) {
    WriteBytes("d.bin", "0123456789");
    int fh = FileLayerOpen("d.bin");
    char buf[16] = {};
    EXPECT_EQ(FileLayerRead(buf, 4, 3, fh), 2u) << "only whole elements";
    EXPECT_EQ(FileLayerTell(fh), 8);
    EXPECT_EQ(FileLayerEof(fh), 0);
    EXPECT_EQ(FileLayerRead(buf, 4, 1, fh), 0u);
    EXPECT_EQ(FileLayerEof(fh), -1);
    EXPECT_EQ(FileLayerSeek(fh, -3, 2), 0);
    EXPECT_EQ(FileLayerEof(fh), 0) << "a seek clears the flag";
    EXPECT_EQ(FileLayerRead(buf, 1, 10, fh), 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(FileLayerSeek(fh, 2, 0), 0);
    EXPECT_EQ(FileLayerSeek(fh, 3, 1), 0);
    EXPECT_EQ(FileLayerTell(fh), 5);
    FileLayerClose(fh);
    std::string all;
    EXPECT_TRUE(FileLayerReadAll("d.bin", &all));
    EXPECT_EQ(all, "0123456789");
    EXPECT_FALSE(FileLayerReadAll("nope.bin", &all));
}

// Reads one byte at a time, seeks, and reads runs of whole elements in a
// random order, two files open at once: every byte read is the file's byte at
// the layer's position, however the reads and seeks interleave.
TEST(File, InterleavedReadsAndSeeksAlwaysReadTheBytesAtThePosition) {
    std::string content[2];
    for (int f = 0; f < 2; f++) {
        for (int i = 0; i < 9000; i++) content[f].push_back(static_cast<char>((i * 7 + f * 31 + i / 251) & 0xFF));
        WriteBytes(f ? "b.bin" : "a.bin", content[f]);
    }
    const int fh[2] = {FileOpenRead("a.bin"), FileOpenRead("b.bin")};
    ASSERT_NE(fh[0], 0);
    ASSERT_NE(fh[1], 0);
    int64_t model[2] = {0, 0};
    bool eof[2] = {false, false};   // set by a read that got nothing, cleared by a seek
    unsigned seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(n));
    };
    const int64_t size = 9000;
    for (int step = 0; step < 20000; step++) {
        const int f = next(2), op = next(8);
        if (op < 4) {   // the byte readers' way
            const int c = FileReadChar(fh[f]);
            if (model[f] < size && !eof[f]) {
                ASSERT_EQ(c, static_cast<unsigned char>(content[f][model[f]])) << "step " << step;
                model[f]++;
            } else {
                ASSERT_EQ(c, -1);
                eof[f] = true;
            }
        } else if (op < 6) {
            const int origin = next(3);
            const int64_t base = origin == 0 ? 0 : origin == 1 ? model[f] : size;
            const int64_t offset = next(400) - 200 + (origin == 0 ? next(9000) : 0);
            ASSERT_EQ(FileLayerSeek(fh[f], offset, origin), 0);
            model[f] = std::min(std::max<int64_t>(base + offset, 0), size);
            eof[f] = false;
        } else if (op == 6) {
            ASSERT_EQ(FileAtEnd(fh[f]), model[f] >= size ? 1 : 0);
            eof[f] = false;   // it seeks to the end and back
        } else {
            char buf[64];
            const size_t elem = 1 + next(3), count = next(20);
            const size_t got = FileLayerRead(buf, elem, count, fh[f]);
            const size_t whole = std::min<size_t>(count, static_cast<size_t>(size - model[f]) / elem);
            ASSERT_EQ(got, whole) << "step " << step;
            ASSERT_EQ(std::string(buf, got * elem), content[f].substr(model[f], got * elem)) << "step " << step;
            model[f] += static_cast<int64_t>(got * elem);
            eof[f] = eof[f] || got == 0;
        }
        ASSERT_EQ(FileLayerTell(fh[f]), model[f]);
    }
    FileCloseRead(fh[0]);
    FileCloseRead(fh[1]);
}

// In UTF-8 text a byte of Shift-JIS's lead range is part of a UTF-8 character
// and never takes the CR after it along: "Ё" (D0 81) ends its line, while in
// Shift-JIS text 81 0D is one pair, as designed.
TEST(File, Utf8LinesEndAfterLeadRangeBytes) {
    WriteBytes("u.txt", std::string("\xD0\x81\r\nz\r\n"));
    ASSERT_EQ(SetTextEncoding(TEXT_UTF8), 0);
    int fh = FileOpenRead("u.txt");
    EXPECT_EQ(Line(fh), "\xD0\x81");
    EXPECT_EQ(Line(fh), "z");
    FileCloseRead(fh);
    ASSERT_EQ(SetTextEncoding(TEXT_SHIFT_JIS), 0);
    fh = FileOpenRead("u.txt");
    EXPECT_EQ(Line(fh), "\xD0\x81\r\nz");
    FileCloseRead(fh);
}
