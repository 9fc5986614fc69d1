// The preloading workers: the listed pictures are decoded in list order by up
// to (drawing threads − 1) workers, the loading thread being the last decoder.
// The workers end once the list is used up or the next list replaces it.
#include "framework/graphics/image_preload.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "framework/backend/raster/raster.h"
#include "framework/backend/raster/raster_queue.h"
#include "framework/core/api_lock.h"
#include "framework/file/file_layer.h"
#include "framework/framework.h"

namespace {

enum JobState { JOB_WAITING, JOB_DECODING, JOB_DONE, JOB_TAKEN };

struct Job {
    std::string path;
    JobState state = JOB_WAITING;
    PictureResult result = PICTURE_MISSING;
    DecodedImage image;
};

std::mutex g_mutex;                 // guards every field below
std::condition_variable g_decoded;  // a job became JOB_DONE
std::deque<Job> g_jobs;             // never resized while workers run
size_t g_next = 0;                  // first job no worker has looked at
size_t g_taken = 0;
std::vector<std::thread> g_workers;

bool ReadBytes(const char* path, std::string* bytes, bool anyThread) {
    return anyThread ? FileReadWhole(path, bytes) : FileLayerReadAll(path, bytes);
}

// "dir/name.png" → "dir/name_a.png": "_a" goes before the last '.' anywhere in
// the path, or at the end when there is none.
std::string MaskPath(const char* path) {
    std::string p(path);
    size_t dot = p.rfind('.');
    if (dot == std::string::npos) return p + "_a";
    return p.substr(0, dot) + "_a" + p.substr(dot);
}

// Decodes a job the caller has marked JOB_DECODING, with the lock released.
void Decode(std::unique_lock<std::mutex>& lock, Job& job) {
    lock.unlock();
    const PictureResult result = ReadPicture(job.path.c_str(), &job.image, true);
    lock.lock();
    job.result = result;
    job.state = JOB_DONE;
    g_decoded.notify_all();
}

// The first job nobody has begun, marked JOB_DECODING; nullptr when none.
Job* ClaimNext() {
    while (g_next < g_jobs.size()) {
        Job& job = g_jobs[g_next++];
        if (job.state != JOB_WAITING) continue;
        job.state = JOB_DECODING;
        return &job;
    }
    return nullptr;
}

void WorkerMain() {
    std::unique_lock<std::mutex> lock(g_mutex);
    while (Job* job = ClaimNext()) Decode(lock, *job);
}

// Waits for the workers (each ends after its current picture) and drops the list.
void StopWorkers() {
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_next = g_jobs.size();
        workers.swap(g_workers);
    }
    for (std::thread& t : workers) t.join();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_jobs.clear();
    g_next = g_taken = 0;
}

// A list may still be decoding when the program ends without FrameworkEnd
// (the framework failed to start): its workers are waited for first.
struct WorkersAtExit {
    ~WorkersAtExit() { StopWorkers(); }
} g_workersAtExit;

} // namespace

PictureResult ReadPicture(const char* path, DecodedImage* img, bool anyThread) {
    std::string bytes;
    if (!ReadBytes(path, &bytes, anyThread)) return PICTURE_MISSING;
    if (!DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), img)) return PICTURE_FAILED;
    std::string maskBytes;
    if (ReadBytes(MaskPath(path).c_str(), &maskBytes, anyThread)) {
        DecodedImage mask;
        if (DecodeImage(reinterpret_cast<const uint8_t*>(maskBytes.data()), maskBytes.size(), &mask)) {
            if (mask.width != img->width || mask.height != img->height) return PICTURE_FAILED;
            for (size_t i = 0; i < img->pixels.size(); i++)
                img->pixels[i] = (img->pixels[i] & 0xFFFFFFu) | (mask.pixels[i] & 0xFFu) << 24;
            img->hasAlpha = true;
        }
    }
    if (img->hasAlpha) RasterPremultiplyPixels(img->pixels.data(), img->pixels.size());
    return PICTURE_OK;
}

int PreloadImageFiles(const char* const* paths, int count) {
    ApiGuard guard;
    StopWorkers();
    if (count < 0 || (count > 0 && !paths)) return -1;
    const int workers = std::min(RasterQueueThreads() - 1, count);
    if (workers < 1) return 0;   // one thread: every picture is read at its load
    std::lock_guard<std::mutex> lock(g_mutex);
    for (int i = 0; i < count; i++)
        if (paths[i]) g_jobs.emplace_back().path = paths[i];
    for (int i = 0; i < workers; i++) {
        try {
            g_workers.emplace_back(WorkerMain);
        } catch (const std::system_error&) {
            break;   // fewer workers; the loading thread decodes what they leave
        }
    }
    return 0;
}

bool TakePreloadedPicture(const char* path, PictureResult* result, DecodedImage* img) {
    std::unique_lock<std::mutex> lock(g_mutex);
    auto job = std::find_if(g_jobs.begin(), g_jobs.end(),
                            [path](const Job& j) { return j.state != JOB_TAKEN && j.path == path; });
    if (job == g_jobs.end()) return false;
    // While a worker decodes the wanted picture, this thread decodes the next
    // one nobody has begun.
    while (job->state != JOB_DONE) {
        if (job->state == JOB_WAITING) {
            job->state = JOB_DECODING;
            Decode(lock, *job);
        } else if (Job* other = ClaimNext()) {
            Decode(lock, *other);
        } else {
            g_decoded.wait(lock);
        }
    }
    *result = job->result;
    *img = std::move(job->image);
    job->state = JOB_TAKEN;
    const bool allTaken = ++g_taken == g_jobs.size();
    lock.unlock();
    if (allTaken) StopWorkers();
    return true;
}

void ImagePreloadShutdown(void) { StopWorkers(); }
