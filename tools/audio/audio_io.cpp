// WAV and Ogg Vorbis writing and reading for the audio builder, and the plain
// line reader its parsers share. Called by audio_tool.cpp, sfx.cpp and score.cpp.
#include "tools/audio/audio_io.h"

#include "framework/framework.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

void PutLe(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) s.push_back((char)((v >> (8 * i)) & 0xFF));
}

// A finished file goes to disk in one piece with the framework's atomic
// writer: an interrupted build never leaves half a sound that looks up to date.
bool Commit(const std::string& path, const std::string& bytes, bool ok) {
    if (!ok) {
        std::fprintf(stderr, "%s: cannot encode\n", path.c_str());
        return false;
    }
    if (FileWriteAtomic(path.c_str(), bytes.data(), static_cast<int>(bytes.size())) != 0) {
        std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), FileErrorText());
        return false;
    }
    return true;
}

uint32_t GetLe(const unsigned char* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v |= (uint32_t)p[i] << (8 * i);
    return v;
}

bool ReadWav(const std::string& bytes, DecodedAudio& out, std::string& error) {
    const unsigned char* d = (const unsigned char*)bytes.data();
    size_t n = bytes.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    size_t pos = 12;
    int bits = 0;
    bool haveFmt = false;
    while (pos + 8 <= n) {
        uint32_t size = GetLe(d + pos + 4, 4);
        const unsigned char* body = d + pos + 8;
        if (pos + 8 + size > n) break;
        if (std::memcmp(d + pos, "fmt ", 4) == 0 && size >= 16) {
            if (GetLe(body, 2) != 1) {
                error = "not PCM";
                return false;
            }
            out.channels = (int)GetLe(body + 2, 2);
            out.rate = (int)GetLe(body + 4, 4);
            bits = (int)GetLe(body + 14, 2);
            haveFmt = true;
        } else if (std::memcmp(d + pos, "data", 4) == 0) {
            if (!haveFmt || bits != 16) {
                error = "only 16-bit PCM is analysed";
                return false;
            }
            out.pcm.resize(size / 2);
            for (size_t i = 0; i < out.pcm.size(); i++) out.pcm[i] = (int16_t)GetLe(body + 2 * i, 2);
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    error = "no data chunk";
    return false;
}

bool ReadOgg(const std::string& path, DecodedAudio& out, std::string& error) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        error = "not an Ogg Vorbis file";
        return false;
    }
    vorbis_info* vi = ov_info(&vf, -1);
    out.channels = vi->channels;
    out.rate = (int)vi->rate;
    char buf[8192];
    int section = 0;
    for (;;) {
        long got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
        if (got < 0) {
            ov_clear(&vf);
            error = "decode error";
            return false;
        }
        if (got == 0) break;
        size_t at = out.pcm.size();
        out.pcm.resize(at + got / 2);
        std::memcpy(out.pcm.data() + at, buf, (size_t)got);
    }
    ov_clear(&vf);
    return true;
}

}  // namespace

std::vector<int16_t> ToPcm16(const StereoBuffer& buf, long frames) {
    std::vector<int16_t> pcm(2 * frames);
    for (long i = 0; i < frames; i++) {
        float s[2] = {buf.l[i], buf.r[i]};
        for (int c = 0; c < 2; c++) {
            float v = std::nearbyint(s[c] * 32767.0f);
            if (v > 32767.0f) v = 32767.0f;
            if (v < -32768.0f) v = -32768.0f;
            pcm[2 * i + c] = (int16_t)v;
        }
    }
    return pcm;
}

bool WriteWav(const std::string& path, const std::vector<int16_t>& pcm) {
    std::string s;
    uint32_t dataBytes = (uint32_t)(pcm.size() * 2);
    s += "RIFF";
    PutLe(s, 36 + dataBytes, 4);
    s += "WAVEfmt ";
    PutLe(s, 16, 4);
    PutLe(s, 1, 2);           // PCM
    PutLe(s, 2, 2);           // stereo
    PutLe(s, kRate, 4);
    PutLe(s, kRate * 4, 4);   // bytes per second
    PutLe(s, 4, 2);           // block size
    PutLe(s, 16, 2);          // bits per sample
    s += "data";
    PutLe(s, dataBytes, 4);
    for (int16_t v : pcm) PutLe(s, (uint16_t)v, 2);
    return Commit(path, s, true);
}

bool WriteOgg(const std::string& path, const std::vector<int16_t>& pcm, float quality, int serial,
              const std::string& title) {
    std::string bytes;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, kRate, quality) != 0) {
        vorbis_info_clear(&vi);
        return Commit(path, bytes, false);
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
    vorbis_comment_add_tag(&vc, "ARTIST", "Vortalis");
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    auto writePage = [&](const ogg_page& og) {
        bytes.append(reinterpret_cast<const char*>(og.header), static_cast<size_t>(og.header_len));
        bytes.append(reinterpret_cast<const char*>(og.body), static_cast<size_t>(og.body_len));
    };
    ogg_packet hdr, hdrComm, hdrCode;
    vorbis_analysis_headerout(&vd, &vc, &hdr, &hdrComm, &hdrCode);
    ogg_stream_packetin(&os, &hdr);
    ogg_stream_packetin(&os, &hdrComm);
    ogg_stream_packetin(&os, &hdrCode);
    ogg_page og;
    while (ogg_stream_flush(&os, &og) != 0) writePage(og);

    const long frames = (long)pcm.size() / 2;
    const long chunk = 4096;
    for (long at = 0;; at += chunk) {
        long n = std::min(chunk, frames - at);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, (int)n);
            for (long i = 0; i < n; i++) {
                buf[0][i] = pcm[2 * (at + i)] / 32768.0f;
                buf[1][i] = pcm[2 * (at + i) + 1] / 32768.0f;
            }
            vorbis_analysis_wrote(&vd, (int)n);
        } else {
            vorbis_analysis_wrote(&vd, 0);
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) writePage(og);
            }
        }
        if (n <= 0) break;
    }
    while (ogg_stream_flush(&os, &og) != 0) writePage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return Commit(path, bytes, true);
}

bool ReadAudioFile(const std::string& path, DecodedAudio& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot open";
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    std::string bytes = ss.str();
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0) return ReadOgg(path, out, error);
    return ReadWav(bytes, out, error);
}

bool LoadSource(const std::string& path, SourceText& out) {
    out.path = path;
    out.lines.clear();
    std::ifstream f(path);
    if (!f) {
        std::fprintf(stderr, "%s: cannot open\n", path.c_str());
        return false;
    }
    std::string line;
    while (std::getline(f, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.lines.push_back(line);
    }
    return true;
}

bool SourceError(const SourceText& src, int line, const std::string& message) {
    std::fprintf(stderr, "%s:%d: error: %s\n", src.path.c_str(), line, message.c_str());
    return false;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> w;
    std::string cur;
    for (char c : line) {
        if (c == '#' && cur.empty()) break;  // "f#5" is a note, " # x" a comment
        if (c == ' ' || c == '\t') {
            if (!cur.empty()) w.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) w.push_back(cur);
    return w;
}

int Indent(const std::string& line) {
    int n = 0;
    while (n < (int)line.size() && (line[n] == ' ' || line[n] == '\t')) n++;
    return n;
}
