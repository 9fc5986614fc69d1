// Runs the art tools themselves: one source drawn twice gives the same bytes as
// the build's own output, broken sources make the builder fail loudly naming
// the file, and the contact sheet pages a folder of images. Skips when the
// tools have not been built.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kBuilder = std::string(VORTALIS_BINARY_DIR) + "/tools/art/art_build";
const std::string kArt = std::string(VORTALIS_SOURCE_DIR) + "/assets/art";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the builder from the test's own working directory; stderr lands in `err`.
int Build(const std::string& root, const std::string& source, const std::string& out, int w, int h,
          std::string& err) {
    const std::string cmd = "'" + kBuilder + "' '" + root + "' '" + source + "' '" + out + "' " +
                            std::to_string(w) + " " + std::to_string(h) + " 2> stderr.txt";
    const int status = std::system(cmd.c_str());
    err = ReadAll("stderr.txt");
    return status;
}

// Walks a PNG's chunks: the 8-byte signature, then length, type, data and CRC
// each. Returns the types in order, runs of IDAT written as "IDAT+".
std::string ChunkTypes(const std::string& png) {
    static const char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (png.compare(0, 8, kSignature, 8) != 0) return "no signature";
    std::string types, last;
    for (size_t at = 8; at + 12 <= png.size();) {
        const auto byte = [&](size_t i) { return uint32_t(uint8_t(png[at + i])); };
        const uint32_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        const std::string type = png.substr(at + 4, 4);
        if (!(type == "IDAT" && last == "IDAT"))
            types += (types.empty() ? "" : " ") + (type == "IDAT" ? std::string("IDAT+") : type);
        last = type;
        at += 12 + size_t(length);
        if (type == "IEND") return at == png.size() ? types : types + " trailing bytes";
    }
    return types + " truncated";
}

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

#define REQUIRE_BUILDER()                                \
    if (!std::filesystem::exists(kBuilder)) {            \
        GTEST_SKIP() << "tools/art/art_build not built"; \
    }

TEST(ArtBuild, SameSourceGivesTheSameBytesEveryTime) {
    REQUIRE_BUILDER();
    std::string err;
    // The ship sheet pulls nothing in; a portrait uses two shared files.
    ASSERT_EQ(Build(kArt, "char/chmodel.svg", "a.png", 192, 144, err), 0) << err;
    ASSERT_EQ(Build(kArt, "char/chmodel.svg", "b.png", 192, 144, err), 0) << err;
    ASSERT_EQ(Build(kArt, "adv1/adv_nalu3.svg", "c.png", 300, 480, err), 0) << err;
    ASSERT_EQ(Build(kArt, "adv1/adv_nalu3.svg", "d.png", 300, 480, err), 0) << err;
    const std::string a = ReadAll("a.png"), c = ReadAll("c.png");
    ASSERT_GT(a.size(), 1000u);
    EXPECT_EQ(a, ReadAll("b.png"));
    EXPECT_EQ(c, ReadAll("d.png"));
    EXPECT_NE(a, c);
    // No time stamp, text or gamma chunk may sneak in: only header, data and end.
    EXPECT_EQ(ChunkTypes(a), "IHDR IDAT+ IEND");
    EXPECT_EQ(ChunkTypes(c), "IHDR IDAT+ IEND");
    const std::string built = std::string(VORTALIS_BINARY_DIR) + "/dat/img/char/chmodel.png";
    if (std::filesystem::exists(built)) {
        EXPECT_EQ(a, ReadAll(built));
    }
}

TEST(ArtBuild, BrokenSourcesFailNamingTheFile) {
    REQUIRE_BUILDER();
    const std::string root = std::filesystem::current_path().string() + "/art";
    const std::string head =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"8\" height=\"8\">";
    Write(root + "/common/parts.svg",
          "<svg xmlns=\"http://www.w3.org/2000/svg\"><defs><rect id=\"dot\" "
          "width=\"4\" height=\"4\"/></defs></svg>");
    Write(root + "/ok.svg", head + "<?include common/parts.svg?><use xlink:href=\"#dot\"/></svg>");
    Write(root + "/torn.svg", head + "<rect width=\"4\"");
    Write(root + "/lost.svg", head + "<?include common/gone.svg?></svg>");
    Write(root + "/dangling.svg", head + "<?include common/parts.svg?><use xlink:href=\"#dash\"/></svg>");
    Write(root + "/unpainted.svg", head + "<rect width=\"8\" height=\"8\" fill=\"url(#nowhere)\"/></svg>");
    Write(root + "/unsized.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 8\"></svg>");

    std::string err;
    ASSERT_EQ(Build(root, "ok.svg", "ok.png", 8, 8, err), 0) << err;
    EXPECT_TRUE(std::filesystem::exists("ok.png"));

    struct Case {
        const char* source;
        int w, h;
        const char* why;
    };
    for (const Case& c : {Case{"torn.svg", 8, 8, "XML"}, Case{"lost.svg", 8, 8, "common/gone.svg"},
                          Case{"dangling.svg", 8, 8, "#dash"}, Case{"unpainted.svg", 8, 8, "#nowhere"},
                          Case{"unsized.svg", 8, 8, "px"}, Case{"ok.svg", 16, 8, "16x8"},
                          Case{"absent.svg", 8, 8, "cannot read"}}) {
        SCOPED_TRACE(c.source);
        std::remove("out.png");
        EXPECT_NE(Build(root, c.source, "out.png", c.w, c.h, err), 0);
        EXPECT_NE(err.find(c.source), std::string::npos) << err;
        EXPECT_NE(err.find(c.why), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists("out.png")) << "a failed build leaves no image behind";
    }
}

// The contact sheet lays out every PNG under a folder on one page and refuses
// a folder without images.
TEST(ArtBuild, ContactSheetShowsEveryImageOfAFolder) {
    const std::string sheet = std::string(VORTALIS_BINARY_DIR) + "/tools/art/art_sheet";
    if (!std::filesystem::exists(sheet) || !std::filesystem::exists(kBuilder)) {
        GTEST_SKIP() << "art tools not built";
    }
    std::string err;
    std::filesystem::create_directories("img/a");
    ASSERT_EQ(Build(kArt, "etc/hoshi.svg", "img/a/star.png", 12, 12, err), 0) << err;
    ASSERT_EQ(Build(kArt, "item/p2.svg", "img/chip.png", 30, 15, err), 0) << err;
    std::filesystem::create_directories("empty");

    EXPECT_EQ(std::system(("'" + sheet + "' img sheet.png 2> stderr.txt").c_str()), 0)
        << ReadAll("stderr.txt");
    const std::string png = ReadAll("sheet.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // IHDR width, big-endian at byte 16: the sheet is one fixed-width page.
    EXPECT_EQ(uint8_t(png[18]) << 8 | uint8_t(png[19]), 1800);

    EXPECT_NE(std::system(("'" + sheet + "' empty none.png 2> stderr.txt").c_str()), 0);
    EXPECT_NE(ReadAll("stderr.txt").find("empty"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("none.png"));
}

}  // namespace
