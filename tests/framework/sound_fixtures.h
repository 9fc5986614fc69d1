// Shared by the sound tests and benchmarks: WAV files written byte by byte,
// Ogg Vorbis and MP3 files encoded on the spot (libvorbisenc and libmp3lame
// are opened at run time, as only the decoders are linked into the program),
// and helpers to start the framework headless and pull mixed samples.
#pragma once

#include <ogg/ogg.h>
#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "framework/backend/headless/headless.h"
#include "framework/framework.h"

namespace soundtest {

inline void Put16(std::string& s, uint32_t v) { s += (char)(v & 0xFF); s += (char)((v >> 8) & 0xFF); }
inline void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF); Put16(s, v >> 16); }

inline std::string Chunk(const char* id, const std::string& body, int64_t claimedSize = -1) {
    std::string s(id, 4);
    Put32(s, claimedSize >= 0 ? (uint32_t)claimedSize : (uint32_t)body.size());
    s += body;
    if (body.size() & 1) s += '\0';
    return s;
}

inline std::string FmtBody(int tag, int channels, int rate, int bits, int blockAlign, int fmtSize = 16) {
    std::string s;
    Put16(s, tag);
    Put16(s, channels);
    Put32(s, rate);
    Put32(s, rate * blockAlign);
    Put16(s, blockAlign);
    Put16(s, bits);
    while ((int)s.size() < fmtSize) s += '\0';
    return s;
}

inline std::string Riff(const std::string& chunks) {
    std::string s = "RIFF";
    Put32(s, (uint32_t)(4 + chunks.size()));
    return s + "WAVE" + chunks;
}

// Samples interleaved; 8-bit values are given as the unsigned bytes stored.
inline std::string PcmBytes(const std::vector<int>& samples, int bits) {
    std::string s;
    for (int v : samples) {
        if (bits == 8) s += (char)(uint8_t)v;
        else Put16(s, (uint16_t)(int16_t)v);
    }
    return s;
}

inline std::string Wav(int channels, int rate, int bits, const std::vector<int>& samples) {
    int block = channels * bits / 8;
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, bits, block)) + Chunk("data", PcmBytes(samples, bits)));
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), (std::streamsize)bytes.size());
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline bool StartFramework(bool audio = true) {
    HeadlessSelect();
    HeadlessSetAudioAvailable(audio ? 1 : 0);
    HeadlessSetAudioClocked(0);   // samples move only when the test pulls them
    ChangeWindowMode(1);
    return FrameworkInit() == 0;
}

inline std::vector<int16_t> Pull(int frames) {
    std::vector<int16_t> out((size_t)frames * 2, 0x5555);
    HeadlessPullAudio(out.data(), frames);
    return out;
}

// Left channel of pulled frames.
inline std::vector<int> Left(const std::vector<int16_t>& stereo) {
    std::vector<int> l;
    for (size_t i = 0; i < stereo.size(); i += 2) l.push_back(stereo[i]);
    return l;
}

// ---- Ogg Vorbis through libvorbisenc ----

// Encodes interleaved 16-bit samples; empty when the encoder refuses the format.
inline std::string EncodeOgg(int channels, int rate, const std::vector<int16_t>& samples, float quality = 0.3f) {
    std::string out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) return std::string();
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234);
    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) {
        out.append((const char*)og.header, og.header_len);
        out.append((const char*)og.body, og.body_len);
    }
    size_t frames = samples.size() / channels;
    size_t at = 0;
    bool eos = false;
    while (!eos) {
        size_t n = frames - at < 4096 ? frames - at : 4096;
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, (int)n);
            for (size_t i = 0; i < n; i++)
                for (int c = 0; c < channels; c++) buf[c][i] = samples[(at + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&vd, (int)n);
            at += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    out.append((const char*)og.header, og.header_len);
                    out.append((const char*)og.body, og.body_len);
                    if (og.header[5] & 4) eos = true;
                }
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&os, &og)) {
        out.append((const char*)og.header, og.header_len);
        out.append((const char*)og.body, og.body_len);
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

// A tone that does not repeat within the test's lengths: a slow sweep.
inline std::vector<int16_t> Sweep(int channels, int rate, int frames, double amplitude = 12000) {
    std::vector<int16_t> s((size_t)frames * channels);
    double phase = 0;
    for (int i = 0; i < frames; i++) {
        double f = 200 + 1800.0 * i / frames;
        phase += 2 * 3.14159265358979 * f / rate;
        for (int c = 0; c < channels; c++) s[(size_t)i * channels + c] = (int16_t)(amplitude * std::sin(phase + c));
    }
    return s;
}

// ---- MP3 through libmp3lame ----

inline std::string EncodeMp3(int channels, int rate, const std::vector<int16_t>& samples) {
    lame_global_flags* l = lame_init();
    if (!l) return std::string();
    lame_set_num_channels(l, channels);
    lame_set_in_samplerate(l, rate);
    lame_set_brate(l, 128);
    lame_set_mode(l, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(l, 0);
    if (lame_init_params(l) < 0) { lame_close(l); return std::string(); }
    int frames = (int)(samples.size() / channels);
    std::vector<unsigned char> buf((size_t)frames * 5 / 4 + 7200 + 16384);
    std::vector<short> copy(samples.begin(), samples.end());
    int n = channels == 2 ? lame_encode_buffer_interleaved(l, copy.data(), frames, buf.data(), (int)buf.size())
                          : lame_encode_buffer(l, copy.data(), copy.data(), frames, buf.data(), (int)buf.size());
    std::string out;
    if (n > 0) out.append((const char*)buf.data(), n);
    n = lame_encode_flush(l, buf.data(), (int)buf.size());
    if (n > 0) out.append((const char*)buf.data(), n);
    lame_close(l);
    return out;
}

} // namespace soundtest
