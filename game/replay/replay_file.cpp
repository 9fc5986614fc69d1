// Replay encoding: a fixed little-endian header, a zlib-packed body (runs of
// equal masks, count fixes, check values) and a CRC-32 of everything before it.
#include "game/replay/replay_file.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "game/common/game_state.h"
#include "game/common/language.h"

namespace {

const char MAGIC[4] = {'V', 'R', 'P', 'L'};
const std::size_t MAX_BODY = 32u << 20;   // unpacked body bytes a reader accepts

struct Writer {
    std::vector<unsigned char> b;
    void U8(unsigned v) { b.push_back(static_cast<unsigned char>(v)); }
    void U16(unsigned v) { U8(v & 0xff); U8((v >> 8) & 0xff); }
    void U32(uint32_t v) { U16(v & 0xffff); U16(v >> 16); }
    void U64(uint64_t v) { U32(static_cast<uint32_t>(v)); U32(static_cast<uint32_t>(v >> 32)); }
    void Var(uint32_t v) {
        while (v >= 0x80) { U8((v & 0x7f) | 0x80); v >>= 7; }
        U8(v);
    }
    void Bytes(const void* p, std::size_t n) {
        const unsigned char* c = static_cast<const unsigned char*>(p);
        b.insert(b.end(), c, c + n);
    }
};

// Reads within [p, end); every read past the end sets `bad` and gives 0.
struct Reader {
    const unsigned char* p;
    const unsigned char* end;
    bool bad = false;
    unsigned U8() {
        if (p >= end) { bad = true; return 0; }
        return *p++;
    }
    unsigned U16() { unsigned lo = U8(); return lo | U8() << 8; }
    uint32_t U32() { uint32_t lo = U16(); return lo | static_cast<uint32_t>(U16()) << 16; }
    uint64_t U64() { uint64_t lo = U32(); return lo | static_cast<uint64_t>(U32()) << 32; }
    uint32_t Var() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const unsigned c = U8();
            if (bad) return 0;
            if (shift == 28 && c > 0x0f) break;
            v |= static_cast<uint32_t>(c & 0x7f) << shift;
            if (!(c & 0x80)) return v;
        }
        bad = true;
        return 0;
    }
    void Bytes(void* out, std::size_t n) {
        if (static_cast<std::size_t>(end - p) < n) { bad = true; std::memset(out, 0, n); p = end; return; }
        std::memcpy(out, p, n);
        p += n;
    }
};

bool Refuse(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

std::vector<unsigned char> EncodeBody(const ReplayData& r) {
    Writer w;
    for (std::size_t i = 0; i < r.masks.size();) {
        std::size_t j = i + 1;
        while (j < r.masks.size() && r.masks[j] == r.masks[i]) j++;
        w.U16(r.masks[i]);
        w.Var(static_cast<uint32_t>(j - i));
        i = j;
    }
    w.Var(static_cast<uint32_t>(r.fixes.size()));
    uint32_t previous = 0;
    for (const ReplayCountFix& f : r.fixes) {
        w.Var(f.frame - previous);
        w.U8(f.slot);
        w.U32(static_cast<uint32_t>(f.count));
        previous = f.frame;
    }
    for (const ReplayCheck& c : r.checks) {
        w.U32(c.all);
        w.Bytes(c.part, STATE_PARTS);
    }
    return w.b;
}

bool DecodeBody(Reader& in, uint32_t frames, uint32_t checks, ReplayData* out, std::string* error) {
    out->masks.clear();
    out->masks.reserve(frames);
    while (out->masks.size() < frames) {
        const uint16_t mask = static_cast<uint16_t>(in.U16());
        const uint32_t run = in.Var();
        if (in.bad || run == 0 || run > frames - out->masks.size())
            return Refuse(error, "the frames do not add up to the length in the header");
        out->masks.insert(out->masks.end(), run, mask);
    }
    const uint32_t fixCount = in.Var();
    if (in.bad || fixCount > frames * static_cast<uint64_t>(REPLAY_PAD_SLOTS))
        return Refuse(error, "the count fixes are damaged");
    out->fixes.clear();
    uint64_t frame = 0;
    for (uint32_t i = 0; i < fixCount; i++) {
        ReplayCountFix f;
        frame += in.Var();
        f.slot = static_cast<uint8_t>(in.U8());
        f.count = static_cast<int32_t>(in.U32());
        if (in.bad || frame >= frames || f.slot >= REPLAY_PAD_SLOTS || f.count < 0)
            return Refuse(error, "the count fixes are damaged");
        f.frame = static_cast<uint32_t>(frame);
        out->fixes.push_back(f);
    }
    out->checks.assign(checks, ReplayCheck{});
    for (ReplayCheck& c : out->checks) {
        c.all = in.U32();
        in.Bytes(c.part, STATE_PARTS);
    }
    if (in.bad) return Refuse(error, "the check values are cut short");
    if (in.p != in.end) return Refuse(error, "the body is longer than its contents");
    return true;
}

} // namespace

ReplayCheck MakeReplayCheck(const StateHash& state) {
    ReplayCheck c;
    uint32_t h = 2166136261u;
    for (int p = 0; p < STATE_PARTS; p++) {
        const uint32_t v = state.part[p];
        for (int i = 0; i < 4; i++) h = (h ^ ((v >> (8 * i)) & 0xff)) * 16777619u;
        c.part[p] = static_cast<uint8_t>(v ^ v >> 8 ^ v >> 16 ^ v >> 24);
    }
    c.all = h;
    return c;
}

int CheckMismatch(const ReplayCheck& check, const StateHash& state) {
    const ReplayCheck now = MakeReplayCheck(state);
    if (now.all == check.all) return -1;
    for (int p = 0; p < STATE_PARTS; p++)
        if (now.part[p] != check.part[p]) return p;
    return STATE_PARTS;
}

uint32_t ReplayCheckCount(uint32_t frames) {
    return frames == 0 ? 1 : (frames - 1) / REPLAY_CHECK_INTERVAL + 1;
}

std::vector<unsigned char> EncodeReplay(const ReplayData& r) {
    const std::vector<unsigned char> body = EncodeBody(r);
    uLongf packedSize = compressBound(body.size());
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, body.data(), body.size(), 9) != Z_OK) return {};
    packed.resize(packedSize);

    Writer w;
    w.Bytes(MAGIC, 4);
    w.U16(REPLAY_FORMAT_VERSION);
    w.U16(REPLAY_HEADER_SIZE);
    w.Bytes(r.gameVersion, REPLAY_VERSION_CHARS);
    w.U64(static_cast<uint64_t>(r.date));
    w.U32(r.seed);
    w.U32(r.dataDigest);
    w.U8(r.start);
    w.U8(r.startStage);
    w.U8(r.stageReached);
    w.U8(r.endedBy);
    w.U32(static_cast<uint32_t>(r.finalScore));
    w.U32(static_cast<uint32_t>(r.startFrameCounter));
    w.U32(static_cast<uint32_t>(r.masks.size()));
    w.U32(static_cast<uint32_t>(r.fixes.size()));
    w.U32(static_cast<uint32_t>(r.checks.size()));
    w.U32(static_cast<uint32_t>(body.size()));
    w.U32(static_cast<uint32_t>(packed.size()));
    for (int32_t c : r.startCounts) w.U32(static_cast<uint32_t>(c));
    w.U8(r.language);
    for (int i = 0; i < 7; i++) w.U8(0);   // reserved
    w.Bytes(packed.data(), packed.size());
    w.U32(static_cast<uint32_t>(crc32(0, w.b.data(), static_cast<uInt>(w.b.size()))));
    return w.b;
}

bool DecodeReplay(const unsigned char* data, std::size_t size, ReplayData* out, std::string* error,
                  bool headerOnly) {
    if (size < REPLAY_HEADER_SIZE + 4) return Refuse(error, "too short to be a replay");
    if (std::memcmp(data, MAGIC, 4) != 0) return Refuse(error, "not a replay file");
    Reader h{data + 4, data + REPLAY_HEADER_SIZE};
    const unsigned version = h.U16();
    if (version != REPLAY_FORMAT_VERSION) {
        if (error) *error = "replay format " + std::to_string(version) + ", this game reads format " +
                            std::to_string(REPLAY_FORMAT_VERSION);
        return false;
    }
    if (h.U16() != REPLAY_HEADER_SIZE) return Refuse(error, "the header size is wrong");
    ReplayData r;
    h.Bytes(r.gameVersion, REPLAY_VERSION_CHARS);
    r.gameVersion[REPLAY_VERSION_CHARS - 1] = 0;
    r.date = static_cast<int64_t>(h.U64());
    r.seed = h.U32();
    r.dataDigest = h.U32();
    r.start = static_cast<uint8_t>(h.U8());
    r.startStage = static_cast<uint8_t>(h.U8());
    r.stageReached = static_cast<uint8_t>(h.U8());
    r.endedBy = static_cast<uint8_t>(h.U8());
    r.finalScore = static_cast<int32_t>(h.U32());
    r.startFrameCounter = static_cast<int32_t>(h.U32());
    const uint32_t frames = h.U32();
    const uint32_t fixes = h.U32();
    const uint32_t checks = h.U32();
    const uint32_t bodySize = h.U32();
    const uint32_t packedSize = h.U32();
    for (int32_t& c : r.startCounts) c = static_cast<int32_t>(h.U32());
    r.language = static_cast<uint8_t>(h.U8());

    if (r.start > REPLAY_START_PRACTICE || r.startStage > LAST_STAGE || r.stageReached > LAST_STAGE)
        return Refuse(error, "the header names a start or stage that does not exist");
    if (r.language >= LANGUAGES) return Refuse(error, "the header names a language this game does not have");
    if (frames > REPLAY_MAX_FRAMES) return Refuse(error, "the run is longer than any replay can be");
    if (checks != ReplayCheckCount(frames)) return Refuse(error, "the number of check values does not fit the length");
    for (int32_t c : r.startCounts)
        if (c < 0) return Refuse(error, "a starting hold count is negative");
    // The frame counter counts up by one a frame from its start: it must stay
    // an int for the whole run.
    if (r.startFrameCounter < 0 || static_cast<uint32_t>(r.startFrameCounter) > INT32_MAX - frames)
        return Refuse(error, "the starting frame counter is out of range");
    if (bodySize > MAX_BODY) return Refuse(error, "the body is larger than any replay's");
    if (packedSize != size - REPLAY_HEADER_SIZE - 4) return Refuse(error, "the file's length does not match its header");

    Reader tail{data + size - 4, data + size};
    if (tail.U32() != static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(size - 4))))
        return Refuse(error, "the file is damaged (its checksum does not match)");

    r.frames = frames;
    if (!headerOnly) {
        std::vector<unsigned char> body(bodySize);
        uLongf got = bodySize;
        if (uncompress(body.data(), &got, data + REPLAY_HEADER_SIZE, packedSize) != Z_OK || got != bodySize)
            return Refuse(error, "the body does not unpack to the size in the header");
        Reader in{body.data(), body.data() + body.size()};
        if (!DecodeBody(in, frames, checks, &r, error)) return false;
        if (r.fixes.size() != fixes) return Refuse(error, "the count fixes do not match the header");
    }
    *out = std::move(r);
    return true;
}
