// Fuzz target for the replay reader: any bytes as a replay file, once as they
// are and once with the trailing CRC-32 made to fit (so the fuzzer reaches the
// header's size checks and the body's decoding, not only the checksum). A file
// that is read must encode back to a file that reads the same.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/replay/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReplayData out;
    std::string error;
    DecodeReplay(data, size, &out, &error, true);
    DecodeReplay(data, size, &out, &error);
    if (size < 4) return 0;
    std::vector<unsigned char> sealed(data, data + size);
    const uint32_t crc = static_cast<uint32_t>(crc32(0, sealed.data(), static_cast<uInt>(size - 4)));
    for (int i = 0; i < 4; i++) sealed[size - 4 + i] = static_cast<unsigned char>(crc >> (8 * i));
    if (!DecodeReplay(sealed.data(), sealed.size(), &out, &error)) return 0;
    if (out.masks.size() != out.frames || out.checks.size() != ReplayCheckCount(out.frames)) std::abort();
    const std::vector<unsigned char> again = EncodeReplay(out);
    ReplayData back;
    if (!DecodeReplay(again.data(), again.size(), &back, &error)) std::abort();
    if (back.masks != out.masks || back.fixes.size() != out.fixes.size() || back.seed != out.seed) std::abort();
    return 0;
}
