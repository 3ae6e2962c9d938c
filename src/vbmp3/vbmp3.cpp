// SPDX-License-Identifier: GPL-3.0-or-later
// The exported C functions of libvbmp3.so: one engine per vbmp3_init, every call
// serialised by one mutex (calls are short; none waits on audio). Calls before
// vbmp3_init or after vbmp3_free return 0.
#include "vbmp3/vbmp3.h"

#include "vbmp3/Engine.h"

#include <memory>
#include <mutex>

namespace {

// The library's one engine. A C interface with init/free calls needs a single
// instance; this holder is the only state outside it.
struct Library {
    std::mutex mutex;
    std::unique_ptr<Engine> engine;
};

Library &library() {
    static Library lib;
    return lib;
}

template <class F>
int withEngine(F &&f) {
    Library &lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.engine) return 0;
    return f(*lib.engine);
}

int ok(bool b) { return b ? 1 : 0; }

}  // namespace

extern "C" {

int vbmp3_init(void) {
    Library &lib = library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.engine) {
        try {
            lib.engine = std::make_unique<Engine>(Engine::Output::Device);
        } catch (...) {
            return 0;
        }
    }
    return 1;
}

int vbmp3_free(void) {
    std::unique_ptr<Engine> engine;
    {
        Library &lib = library();
        std::lock_guard<std::mutex> lock(lib.mutex);
        engine = std::move(lib.engine);
    }
    return ok(engine != nullptr);  // the engine's destructor joins its threads here
}

int vbmp3_getVersion(void) {
    return withEngine([](Engine &) { return VBMP3_VERSION; });
}

int vbmp3_setVbmp3Option(const Vbmp3OptionData *o) {
    return withEngine([&](Engine &e) { return ok(o && e.setBufferOptions(*o)); });
}

int vbmp3_setDecodeOption(const DecodeOptionData *o) {
    return withEngine([&](Engine &e) { return ok(o && e.setDecodeOptions(*o)); });
}

int vbmp3_setKaraokeUse(int use) {
    return withEngine([&](Engine &e) { return ok(e.setKaraokeUse(use)); });
}

int vbmp3_setLyricsTime(int base) {
    return withEngine([&](Engine &e) { return ok(e.setLyricsTimeBase(base)); });
}

int vbmp3_setFftWindow(int window) {
    return withEngine([&](Engine &e) { return ok(e.setFftWindow(window)); });
}

int vbmp3_setNotTagLyricsLine(int process) {
    return withEngine([&](Engine &e) { return ok(e.setProcessUntimed(process)); });
}

int vbmp3_setLyricsAdjustTime(int ms) {
    return withEngine([&](Engine &e) { return ok(e.setLyricsAdjustMs(ms)); });
}

int vbmp3_open(const char *path, TrackInfoData *info) {
    const int r = withEngine([&](Engine &e) { return ok(e.open(path, info)); });
    return r;
}

int vbmp3_play(void) {
    return withEngine([](Engine &e) { return ok(e.play()); });
}

int vbmp3_stop(void) {
    return withEngine([](Engine &e) { return ok(e.stop()); });
}

int vbmp3_pause(void) {
    return withEngine([](Engine &e) { return ok(e.pause()); });
}

int vbmp3_restart(void) {
    return withEngine([](Engine &e) { return ok(e.restart()); });
}

int vbmp3_close(void) {
    return withEngine([](Engine &e) { return ok(e.close()); });
}

int vbmp3_seek(int seconds) {
    return withEngine([&](Engine &e) { return ok(e.seek(seconds)); });
}

int vbmp3_getState(int *elapsedSeconds) {
    if (elapsedSeconds) *elapsedSeconds = 0;
    return withEngine([&](Engine &e) { return e.state(elapsedSeconds); });
}

int vbmp3_getPlayBitRate(void) {
    return withEngine([](Engine &e) { return e.playBitRate(); });
}

int vbmp3_clearLyrics(void) {
    return withEngine([](Engine &e) { return ok(e.clearLyrics()); });
}

int vbmp3_setLyricsFile(const char *path) {
    return withEngine([&](Engine &e) { return ok(e.setLyricsFile(path)); });
}

int vbmp3_getLyrics2(LyricsData *d) {
    return withEngine([&](Engine &e) { return ok(e.lyrics(d)); });
}

int vbmp3_getSpectrum(int32_t left[256], int32_t right[256]) {
    return withEngine([&](Engine &e) { return ok(left && right && e.spectrum(left, right)); });
}

int vbmp3_setPitch(int percent) {
    return withEngine([&](Engine &e) { return ok(e.setPitch(percent)); });
}

int vbmp3_setEqualizer(const int32_t bands[10]) {
    return withEngine([&](Engine &e) { return ok(e.setEqualizer(bands)); });
}

int vbmp3_setSoftVolume(int left, int right) {
    return withEngine([&](Engine &e) { return ok(e.setSoftVolume(left, right)); });
}

int vbmp3_reload(void) {
    return withEngine([](Engine &e) { return ok(e.reload()); });
}

}  // extern "C"
