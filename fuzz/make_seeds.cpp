// Seed generator for the fuzz targets: writes a few small, valid inputs of every
// format into <out>/<target>/ so that each target starts from files its reader
// accepts. Run by scripts/fuzz.sh before the data files of dat/ are added.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <jpeglib.h>
#include <string>
#include <vector>

#include "tests/framework/sound_fixtures.h"

namespace {

using soundtest::Chunk;
using soundtest::FmtBody;
using soundtest::Put16;
using soundtest::Put32;
using soundtest::Riff;

std::string g_root;

void Write(const char* target, const char* name, const std::string& bytes) {
    const std::string dir = g_root + "/" + target;
    mkdir(dir.c_str(), 0755);
    soundtest::WriteFile(dir + "/" + name, bytes);
}

// Shift-JIS bytes, written out because clang leaves literals in UTF-8.
const std::string kNaru = "\x83\x69\x83\x8b";          // the name "ナル"
const std::string kAiu = "\x82\xa0\x82\xa2\x82\xa4";   // "あいう"

std::string TimelineSeed() {
    return "frame,pattern,image,x,y,speed,fire,shot,color,hp,bullet,wait,d0,d1,d2,d3,d4,d5\r\n"
           "// stage 1\r\n"
           "0,0,0,640,240,2,30,0,0,10,0,60,-1,-1,-1,-1,-1,-1\r\n"
           "5,3,2,600.5,100,1.25,10,0,7,100,2,15,1,-1,5,0,-1,3\r\n"
           "/ a comment line\r\n"
           "10,99,14,-20.25,-1e1,0,1,1,-3,2147483647,3,0,-1,-1,-1,-1,-1,-1\r\n"
           "20,42,5,630,470,3,0,0,1,1,1,1,0,1,2,3,4,5\r\n";
}

std::string StorySeed() {
    const std::string slots = "2,9,1,1,3,0,320,240,1,0,2,7,-20,1234,0,5,1,0,0,0";
    return "/ name,bg,,v,l,e,,x,y,...,text\r\n" + kNaru + "," + slots + "," + kAiu + "\r\n" + kNaru + "," + slots +
           ",abc C\r\n" + "x,1,0,1,1,0,0,320,240,0,0,0,0,0,0,0,0,0,0,0," + kAiu + kAiu + "C\r\n" +
           "y,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,X\r\n";
}

std::string MapSeed() {
    return "/ name,,shown,expr,,,shown,expr,,text\r\n" + kNaru + ",0,1,2,0,0,1,1,0," + kAiu + "\r\n" + kNaru +
           ",0,1,3,0,0,0,0,0,line two C\r\n" + "z,0,0,0,0,0,1,2,0,X\r\n";
}

std::vector<int> Ramp(int count, int bits) {
    std::vector<int> s;
    for (int i = 0; i < count; i++) s.push_back(bits == 8 ? (i * 7) & 0xFF : (i * 977) % 60000 - 30000);
    return s;
}

void WriteWavSeeds(const char* target) {
    Write(target, "pcm8_mono.wav", soundtest::Wav(1, 22050, 8, Ramp(300, 8)));
    Write(target, "pcm16_stereo.wav", soundtest::Wav(2, 44100, 16, Ramp(400, 16)));
    // A LIST chunk before the data and an odd-sized chunk that needs its pad byte.
    Write(target, "pcm16_list.wav",
          Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16, 2, 18)) + Chunk("LIST", "INFOabc") +
               Chunk("data", soundtest::PcmBytes(Ramp(100, 16), 16))));
    // IEEE float (tag 3), 24-bit PCM and mu-law (tag 7) go to SDL.
    std::string f32;
    for (int i = 0; i < 200; i++) {
        float v = (i % 50) / 50.0f - 0.5f;
        uint32_t u;
        std::memcpy(&u, &v, 4);
        Put32(f32, u);
    }
    Write(target, "float_mono.wav", Riff(Chunk("fmt ", FmtBody(3, 1, 11025, 32, 4)) + Chunk("data", f32)));
    std::string s24;
    for (int i = 0; i < 300; i++) {
        int v = (i * 40000) % 8000000 - 4000000;
        s24 += (char)(v & 0xFF);
        s24 += (char)((v >> 8) & 0xFF);
        s24 += (char)((v >> 16) & 0xFF);
    }
    Write(target, "pcm24_stereo.wav", Riff(Chunk("fmt ", FmtBody(1, 2, 48000, 24, 6)) + Chunk("data", s24)));
    std::string mulaw;
    for (int i = 0; i < 256; i++) mulaw += (char)i;
    Write(target, "mulaw.wav", Riff(Chunk("fmt ", FmtBody(7, 1, 8000, 8, 1, 18)) + Chunk("data", mulaw)));
}

void WriteOggSeeds(const char* target) {
    Write(target, "mono.ogg", soundtest::EncodeOgg(1, 22050, soundtest::Sweep(1, 22050, 3000)));
    Write(target, "stereo.ogg", soundtest::EncodeOgg(2, 44100, soundtest::Sweep(2, 44100, 2000)));
    Write(target, "three.ogg", soundtest::EncodeOgg(3, 8000, soundtest::Sweep(3, 8000, 1500)));
}

void WriteMp3Seeds(const char* target) {
    const std::string mono = soundtest::EncodeMp3(1, 22050, soundtest::Sweep(1, 22050, 2500));
    Write(target, "mono.mp3", mono);
    Write(target, "stereo.mp3", soundtest::EncodeMp3(2, 44100, soundtest::Sweep(2, 44100, 2500)));
    // An ID3v2 tag of 10 bytes before the audio and an ID3v1 block after it.
    std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x00\x0a", 10) + std::string(10, 'T');
    Write(target, "tagged.mp3", id3 + mono + "TAG" + std::string(125, ' '));
}


// ---- small pictures of every image format ----

void Le16(std::string& s, uint32_t v) { s += char(v & 0xFF); s += char(v >> 8 & 0xFF); }
void Le32(std::string& s, uint32_t v) { Le16(s, v & 0xFFFF); Le16(s, v >> 16); }

uint32_t Pixel(int x, int y) { return 0x80000000u | uint32_t(x * 40) << 16 | uint32_t(y * 60) << 8 | 0x30u; }

std::string Bmp24(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    std::string s = "BM";
    Le32(s, 54 + row * h); Le32(s, 0); Le32(s, 54);
    Le32(s, 40); Le32(s, w); Le32(s, h); Le16(s, 1); Le16(s, 24); Le32(s, 0); Le32(s, row * h);
    Le32(s, 2835); Le32(s, 2835); Le32(s, 0); Le32(s, 0);
    for (int y = h - 1; y >= 0; y--) {
        std::string r;
        for (int x = 0; x < w; x++) { uint32_t p = Pixel(x, y); r += char(p & 0xFF); r += char(p >> 8 & 0xFF); r += char(p >> 16 & 0xFF); }
        r.resize(row, '\0');
        s += r;
    }
    return s;
}

std::string Tga32(int w, int h, bool rle) {
    std::string s;
    s += char(0); s += char(0); s += char(rle ? 10 : 2);
    s += std::string(5, '\0');
    Le16(s, 0); Le16(s, 0); Le16(s, w); Le16(s, h);
    s += char(32); s += char(0x28);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (rle) s += char(0);   // a raw packet of one pixel
            Le32(s, Pixel(x, y));
        }
    s += std::string(8, '\0');
    s += "TRUEVISION-XFILE.";
    s += '\0';
    return s;
}

std::string Dds32(int w, int h) {
    std::string s = "DDS ";
    Le32(s, 124); Le32(s, 0x100F); Le32(s, h); Le32(s, w); Le32(s, w * 4); Le32(s, 0); Le32(s, 0);
    s += std::string(44, '\0');
    Le32(s, 32); Le32(s, 0x41); Le32(s, 0); Le32(s, 32);
    Le32(s, 0x00FF0000); Le32(s, 0x0000FF00); Le32(s, 0x000000FF); Le32(s, 0xFF000000);
    Le32(s, 0x1000); s += std::string(16, '\0');
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) Le32(s, Pixel(x, y));
    return s;
}

std::string DdsDxt1(int w, int h) {
    std::string s = "DDS ";
    Le32(s, 124); Le32(s, 0x81007); Le32(s, h); Le32(s, w); Le32(s, ((w + 3) / 4) * ((h + 3) / 4) * 8); Le32(s, 0); Le32(s, 0);
    s += std::string(44, '\0');
    Le32(s, 32); Le32(s, 0x4); s += "DXT1"; s += std::string(20, '\0');
    Le32(s, 0x1000); s += std::string(16, '\0');
    for (int b = 0; b < ((w + 3) / 4) * ((h + 3) / 4); b++) { Le16(s, 0xF800); Le16(s, 0x001F); Le32(s, 0xE4E4E4E4u + b); }
    return s;
}

std::string Bgra(int w, int h) {
    std::string s = "BGRA";
    s += char(8); s += char(1); Le16(s, 0); Le32(s, w); Le32(s, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) Le32(s, Pixel(x, y));
    return s;
}

std::string Jpeg(int w, int h) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::string row(w * 3, '\0');
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; x++) {
            uint32_t p = Pixel(x, c.next_scanline);
            row[x * 3] = char(p >> 16); row[x * 3 + 1] = char(p >> 8); row[x * 3 + 2] = char(p);
        }
        JSAMPROW r = reinterpret_cast<JSAMPROW>(&row[0]);
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(buffer), size);
    jpeg_destroy_compress(&c);
    free(buffer);
    return out;
}

// The readers' test pictures (every variant they read, and some they refuse
// on purpose) seed their reader's target and the loader's.
void CopyTestPictures() {
    static const struct { const char* prefix; const char* target; } kinds[] = {
        {"bmp_", "image_bmp"}, {"tga_", "image_tga"}, {"dds_", "image_dds"},
        {"jpeg_", "image_jpeg"}, {"png_", "image_png"},
    };
    const std::string dir = VORTALIS_SOURCE_DIR "/tests/data/images";
    DIR* d = opendir(dir.c_str());
    if (!d) {
        std::fprintf(stderr, "make_seeds: no test pictures in %s\n", dir.c_str());
        return;
    }
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.find(".ref.") != std::string::npos) continue;
        for (const auto& k : kinds) {
            if (name.compare(0, std::strlen(k.prefix), k.prefix) != 0) continue;
            std::ifstream f(dir + "/" + name, std::ios::binary);
            std::stringstream bytes;
            bytes << f.rdbuf();
            Write(k.target, name.c_str(), bytes.str());
            Write("image_load", name.c_str(), std::string(1, '\0') + bytes.str());
        }
    }
    closedir(d);
}

// The sound readers' test files (junk before MP3 frames, bytes after the last
// Ogg page, repaired WAV headers, and some refused on purpose) seed their
// readers' targets and the loader's.
void CopyTestSounds() {
    static const struct { const char* suffix; const char* targets[3]; } kinds[] = {
        {".mp3", {"mp3", "sound_load", nullptr}},
        {".ogg", {"ogg", "sound_load", nullptr}},
        {".wav", {"wav_pcm", "wav_compressed", "sound_load"}},
    };
    const std::string dir = VORTALIS_SOURCE_DIR "/tests/data/sounds";
    DIR* d = opendir(dir.c_str());
    if (!d) {
        std::fprintf(stderr, "make_seeds: no test sounds in %s\n", dir.c_str());
        return;
    }
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        for (const auto& k : kinds) {
            const size_t n = std::strlen(k.suffix);
            if (name.size() <= n || name.compare(name.size() - n, n, k.suffix) != 0) continue;
            std::ifstream f(dir + "/" + name, std::ios::binary);
            std::stringstream bytes;
            bytes << f.rdbuf();
            for (const char* target : k.targets)
                if (target) Write(target, name.c_str(), bytes.str());
        }
    }
    closedir(d);
}

void WriteImageSeeds() {
    CopyTestPictures();
    Write("image_bmp", "rgb.bmp", Bmp24(5, 3));
    Write("image_tga", "raw.tga", Tga32(4, 3, false));
    Write("image_tga", "rle.tga", Tga32(4, 3, true));
    Write("image_dds", "argb.dds", Dds32(4, 4));
    Write("image_dds", "dxt1.dds", DdsDxt1(8, 4));
    Write("image_bgra", "pic.bgra", Bgra(3, 2));
    Write("image_jpeg", "rgb.jpg", Jpeg(16, 8));
    // The loader's first byte: even = picture alone, odd = picture then its mask.
    Write("image_load", "bmp.bin", std::string(1, '\0') + Bmp24(5, 3));
    Write("image_load", "tga_mask.bin", std::string(1, '\1') + Tga32(4, 3, false) + Tga32(4, 3, false));
    Write("image_load", "jpg.bin", std::string(1, '\0') + Jpeg(16, 8));
    Write("image_load", "dds.bin", std::string(1, '\0') + DdsDxt1(8, 4));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus root>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    mkdir(g_root.c_str(), 0755);

    Write("timeline", "seed.csv", TimelineSeed());
    Write("story_script", "seed.csv", StorySeed());
    Write("map_script", "seed.csv", MapSeed());

    Write("file_read", "timeline.csv", TimelineSeed());
    Write("file_read", "story.csv", StorySeed());
    Write("file_read", "lines.txt", std::string("a\r\nb\nc\r\r\n\x82\xa0\x82\r\n\0x\r\n\x82", 20));

    Write("screen_print", "text.txt", "score %d\tline\nsecond\a\b\v\f\r?" + kAiu + "\x82");
    Write("screen_print", "long.txt", std::string(300, 'W') + "\n" + std::string(100, '\x88'));

    Write("score_table", "scores.txt",
          "vortalis-scores 1\nreached 3\nruns 12\n"
          "entry 12 123450 3 1 2026-12-08 17:20 replay-20261208-172005.vrp\n"
          "entry 7 100000 clear 0 2026-12-07 21:02 -\n");
    Write("score_table", "crlf.txt", "vortalis-scores 1\r\n# comment\r\n\r\nentry 1 0 1 0 2026-01-01 00:00 -\r\n");

    WriteWavSeeds("wav_pcm");
    WriteWavSeeds("wav_compressed");
    WriteWavSeeds("sound_load");
    WriteOggSeeds("ogg");
    WriteOggSeeds("sound_load");
    WriteMp3Seeds("mp3");
    WriteImageSeeds();
    WriteMp3Seeds("sound_load");
    CopyTestSounds();
    Write("settings", "settings.ini",
          "; comment\nmusic_volume = 7\neffect_volume = 3\nscreen = window\nwindow_scale = 2\n"
          "ask_at_start = no\nkey_shot = X\nkey_skip = Space\nkey_formation = A\nkey_pause = Key25\n"
          "pad_shot = 2\npad_skip = 1\npad_formation = 8\npad_pause = 12\nbad line\nunknown = 1\n");
    return 0;
}
