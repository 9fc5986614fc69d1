// LoadSoundFile: reads a sound file through the file layer, recognises PCM WAV,
// compressed WAV, Ogg Vorbis and MP3 in that order, and makes a sound handle.
// Ogg Vorbis is only checked here (every page's checksum and place in the
// stream, the headers, the length, the first samples) and kept compressed: its
// voices decode it as they play, so loading music is quick.
#include <new>
#include <string>
#include <utility>

#include "framework/core/api_lock.h"
#include "framework/core/log.h"
#include "framework/file/file_layer.h"
#include "framework/framework.h"
#include "framework/sound/sound_internal.h"

namespace {

struct Loaded {
    AudioFormat format;
    uint32_t frames;
    std::vector<int16_t> pcm;
    bool ogg;
};

enum ReadResult { READ_OK, READ_NO_FILE, READ_NO_MEMORY };

// The whole file through the file layer. Running out of memory for it is the
// one allocation failure reported as such, so std::bad_alloc is caught here.
ReadResult ReadWhole(const char* path, std::string* out) {
    int fh = FileLayerOpen(path);
    if (!fh) return READ_NO_FILE;
    int64_t size = FileLayerSize(fh);
    ReadResult result = READ_OK;
    try {
        out->assign(size > 0 ? (size_t)size : 0, '\0');
    } catch (const std::bad_alloc&) {
        result = READ_NO_MEMORY;
    }
    if (result == READ_OK && !out->empty()) out->resize(FileLayerRead(&(*out)[0], 1, out->size(), fh));
    FileLayerClose(fh);
    return result;
}

// `notes` gets what the decoder skipped or repaired, a line each.
bool Decode(const std::string& file, Loaded* out, std::string* notes) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(file.data());
    size_t size = file.size();
    AudioPcm pcm{};
    AudioProbe r = AudioDecodePcmWav(data, size, &pcm);
    if (r == AUDIO_NOT_THIS) r = AudioDecodeCompressedWav(data, size, &pcm);
    if (r == AUDIO_DECODED) {
        out->format = pcm.format;
        out->frames = pcm.frames;
        out->pcm = std::move(pcm.samples);
        out->ogg = false;
        *notes = std::move(pcm.notes);
        return true;
    }
    if (r == AUDIO_BROKEN) return false;
    r = AudioProbeOgg(data, size, &out->format, &out->frames, notes);
    if (r == AUDIO_DECODED) {
        out->ogg = true;
        return true;
    }
    if (r == AUDIO_BROKEN) return false;
    if (AudioDecodeMp3(data, size, &pcm) != AUDIO_DECODED) return false;
    out->format = pcm.format;
    out->frames = pcm.frames;
    out->pcm = std::move(pcm.samples);
    out->ogg = false;
    *notes = std::move(pcm.notes);
    return true;
}

// What the decoder skipped or repaired to read the file, a line each.
void LogDecoderNotes(const char* path, const std::string& notes) {
    size_t at = 0;
    while (at < notes.size()) {
        size_t end = notes.find('\n', at);
        if (end == std::string::npos) end = notes.size();
        LogFmt("右記の音声ファイルを補って読み込みました：%s (%.*s)", path, (int)(end - at < 160 ? end - at : 160),
               notes.data() + at);
        at = end + 1;
    }
}

int LoadSoundImpl(const char* path, int bufferCount) {
    if (!g_sound.device) return -1;
    if (bufferCount > SOUND_MAX_BUFFERS) bufferCount = SOUND_MAX_BUFFERS;
    if (bufferCount < 1) bufferCount = 1;
    if (!path) path = "";

    int slot = SoundAllocSlot();
    if (slot < 0) {
        WriteLogLine("サウンドの数が許容量を越えました\n");
        return -1;
    }

    std::string file;
    ReadResult read = ReadWhole(path, &file);
    if (read != READ_OK) {
        if (read == READ_NO_FILE) LogFmt("右記のファイルのオープンに失敗しました：%s", path);
        else LogFmt("右記のファイルのロードに必要なメモリの確保に失敗しました：%s", path);
        LogFmt("右記の音声ファイルのロードに失敗しました_1：%s", path);
        return -1;
    }

    Loaded loaded{};
    std::string notes;
    if (!Decode(file, &loaded, &notes)) {
        LogFmt("音声ファイルのＰＣＭへの変換に失敗しました");
        LogFmt("右記の音声ファイルのロードに失敗しました_2：%s", path);
        return -1;
    }
    LogDecoderNotes(path, notes);

    int handle = SoundMakeHandle(slot);
    SoundRecord* r = &g_sound.table[slot];
    r->kind = SOUND_IN_MEMORY;
    r->bufferCount = bufferCount;
    r->current = 0;
    r->format = loaded.format;
    r->frames = loaded.frames;
    r->pcm = std::move(loaded.pcm);
    if (loaded.ogg) r->oggFile = std::move(file);
    r->loopStart = 0;
    r->loopStartBytes = 0;
    r->startTime = 0;
    r->attenuation = 0;
    for (int i = 0; i < SOUND_MAX_BUFFERS; i++) r->voices[i] = MixVoice{};
    // In-memory PCM: every buffer is ready at once, as the platform buffers
    // filled at load would be. Ogg voices open their decoders when first played.
    if (!loaded.ogg) {
        for (int i = 0; i < bufferCount; i++) SoundPrepareVoice(r, i);
    }
    return handle;
}

} // namespace

int LoadSoundFile(const char* path, int bufferCount, int unionHandle) {
    ApiGuard g;
    (void)unionHandle;  // always a new handle; the game passes −1
    return LoadSoundImpl(path, bufferCount);
}
