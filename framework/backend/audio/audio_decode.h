// Sound decoders for the sound loader: PCM WAV read by hand, compressed WAV
// through SDL, MP3 through libmpg123, and Ogg Vorbis through vorbisfile as an
// incremental decoder so that long music never has to be decoded at once.
// A file that breaks its format's rules in a way mainstream decoders forgive
// (junk before the first MP3 frame, bytes after the last Ogg page, fewer valid
// bits than the sample's container) is read as they read it, and each repair
// is told in a line of `notes` for the caller to log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The sound's own format. Samples are always held as signed 16-bit,
// interleaved; `bits` records what the file stored.
struct AudioFormat {
    int channels;    // 1 or 2
    int rate;        // samples per second per channel
    int bits;        // 8 or 16 for PCM WAV; 16 for decoded formats
    int blockAlign;  // bytes per frame in the file's own layout
};

struct AudioPcm {
    AudioFormat format;
    std::vector<int16_t> samples;  // frames × channels
    uint32_t frames;
    std::string notes;             // what was skipped or repaired, lines ending in '\n'
};

enum AudioProbe {
    AUDIO_NOT_THIS = 0,  // not this format: try the next reader
    AUDIO_DECODED,       // decoded into the output
    AUDIO_BROKEN,        // this format, but the data cannot be decoded
};

// Highest rate accepted; keeps the mixer's 16.16 step far from overflow.
enum { AUDIO_MAX_RATE = 768000 };

// PCM WAV (format tag 1, 8 or 16 bits, 1 or 2 channels). Other RIFF WAVE data
// is left to AudioDecodeCompressedWav.
AudioProbe AudioDecodePcmWav(const uint8_t* data, size_t size, AudioPcm* out);
// Any RIFF WAVE data SDL can decode (IMA and MS ADPCM, float, 24/32-bit PCM,
// A-law, mu-law, WAVE_FORMAT_EXTENSIBLE), converted to 16-bit with at most two
// channels; an extensible bits field that gives the valid bits instead of the
// container's is repaired with a note.
AudioProbe AudioDecodeCompressedWav(const uint8_t* data, size_t size, AudioPcm* out);
// MPEG audio (layers 1-3), an ID3v2 tag at the start and an ID3v1 "TAG" block
// at the end skipped, and junk before the first frame skipped when a chain of
// frames follows it.
AudioProbe AudioDecodeMp3(const uint8_t* data, size_t size, AudioPcm* out);

// Ogg Vorbis, decoded a piece at a time from a block of memory the caller keeps
// alive for as long as the decoder lives.
struct OggDecoder;
// Checks the headers and the length; AUDIO_DECODED fills `format` and `frames`,
// and adds to `notes` (when given) what was skipped.
AudioProbe AudioProbeOgg(const uint8_t* data, size_t size, AudioFormat* format, uint32_t* frames,
                         std::string* notes = nullptr);
OggDecoder* OggOpen(const uint8_t* data, size_t size);   // nullptr on failure
void OggClose(OggDecoder* dec);
// Decodes up to `frames` frames of 16-bit samples at the decoder's position;
// returns the frames written, 0 at the end, −1 on a decoding error. Reading
// stops at the length the probe reports, even where the packets hold more.
int OggRead(OggDecoder* dec, int16_t* out, int frames);
int OggSeek(OggDecoder* dec, uint32_t frame);            // 0, or −1
