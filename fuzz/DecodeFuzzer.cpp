// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as an audio file (.wav, .flac or .ogg when they start like one, else
// .mp3; every fourth size another of the names): open them in the engine and play them to the
// end through the render path, which pulls the output as fast as it can be
// computed. Pitch, equalizer, volume and decode options vary with the size.
// One engine (with its decoder thread) serves the whole run.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzWorkDir.h"
#include "common/TextCodec.h"
#include "vbmp3/Engine.h"

namespace {

Engine &engine() {
    static Engine e(Engine::Output::Render);
    return e;
}

void checkText(const char (&field)[128]) {
    FUZZ_CHECK(field[127] == '\0');
    FUZZ_CHECK(TextCodec::isValidUtf8(std::string_view(field, std::strlen(field))));
}

}  // namespace

// libsndfile 1.2 does not free libvorbis's header record when it refuses an
// Ogg Vorbis file with broken headers: a library leak, not a finding.
extern "C" const char *__lsan_default_suppressions();
extern "C" const char *__lsan_default_suppressions() { return "leak:libvorbis.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    constexpr std::size_t MaxBytes = 64 * 1024;
    constexpr int MaxOutputSeconds = 20;  // per input, so slow-rate files stay quick
    constexpr std::size_t Piece = 4096;
    if (size > MaxBytes) return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    static constexpr const char *Names[] = {"track.wav", "track.flac", "track.opus", "track.mp3"};
    const char *name = bytes.starts_with("RIFF")   ? Names[0]
                       : bytes.starts_with("fLaC") ? Names[1]
                       : bytes.starts_with("OggS") ? "track.ogg"
                                                   : Names[3];
    if (size % 4 == 3) name = Names[(size / 4) % 4];
    const std::string path = FuzzWorkDir::write(name, bytes);

    Engine &e = engine();
    // Full, half and quarter rate; stereo and mono; two output caps.
    const DecodeOptionData options{static_cast<int32_t>(size % 3), static_cast<int32_t>((size / 3) % 2),
                                   (size / 6) % 2 == 0 ? 48000 : 22050};
    FUZZ_CHECK(e.setDecodeOptions(options));
    // Pitch, equalizer and volume as the player sets them, also varied by size.
    FUZZ_CHECK(e.setPitch(size % 5 == 0 ? 100 : 50 + static_cast<int>(size % 251)));
    int32_t bands[10];
    for (int i = 0; i < 10; ++i) bands[i] = static_cast<int32_t>((size * (i + 7)) % 201) - 100;
    FUZZ_CHECK(e.setEqualizer(bands));
    FUZZ_CHECK(e.setSoftVolume(static_cast<int>(size % 101), 100));
    FUZZ_CHECK(e.reload());

    TrackInfoData info;
    std::memset(&info, 0x5A, sizeof info);
    if (!e.open(path.c_str(), &info)) {
        int elapsed = -1;
        FUZZ_CHECK(e.state(&elapsed) == VBMP3_STATE_STOPPED && elapsed == 0);
        return 0;
    }
    checkText(info.Title);
    checkText(info.SecondLine);
    FUZZ_CHECK(info.Channels > 0 && info.SamplingRate > 0);
    FUZZ_CHECK(info.AverageBitRate >= 0 && info.LengthSeconds >= 0);

    const int rate = e.outputRate();
    FUZZ_CHECK(rate > 0 && rate <= options.OutputSample);
    FUZZ_CHECK(e.play());
    std::vector<float> out(Piece * 2);
    const std::size_t limit = static_cast<std::size_t>(rate) * MaxOutputSeconds;
    int32_t left[256];
    int32_t right[256];
    for (std::size_t done = 0; done < limit; done += Piece) {
        int elapsed = -1;
        const int state = e.state(&elapsed);
        if (state != VBMP3_STATE_PLAYING) {
            FUZZ_CHECK(state == VBMP3_STATE_STOPPED);
            break;
        }
        FUZZ_CHECK(elapsed >= 0);
        FUZZ_CHECK(e.render(out.data(), Piece) == Piece);
        for (float v : out) FUZZ_CHECK(std::isfinite(v));
        FUZZ_CHECK(e.playBitRate() >= 0);
        e.spectrum(left, right);
        for (int i = 0; i < 256; ++i) FUZZ_CHECK(left[i] >= 0 && right[i] >= 0);
    }
    FUZZ_CHECK(e.seek(1));
    FUZZ_CHECK(e.stop());
    FUZZ_CHECK(e.close());
    return 0;
}
