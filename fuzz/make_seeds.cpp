// Seed generator for the fuzz targets: writes a few small, valid inputs of every
// format into <out>/<target>/ so that each target starts from files its reader
// accepts. Run by scripts/fuzz.sh before the data files of dat/ are added.
#include <sys/stat.h>

#include <cstdio>
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

    WriteWavSeeds("wav_pcm");
    WriteWavSeeds("wav_compressed");
    WriteWavSeeds("sound_load");
    WriteOggSeeds("ogg");
    WriteOggSeeds("sound_load");
    WriteMp3Seeds("mp3");
    WriteMp3Seeds("sound_load");
    return 0;
}
