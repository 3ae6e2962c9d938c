// The engine of libvbmp3.so.
//
// Threading contract
// ------------------
// Three kinds of thread touch a loaded track:
//
// - The player's thread calls the vbmp3_ functions (the C layer serialises
//   them). It opens the decoder (to fill TrackInfoData at once), sets the
//   transport and seek requests in the track's TrackSession with atomic stores,
//   reads positions, bit rate, spectrum and lyrics from what the audio thread
//   recorded, and hands sessions to the worker through a small mutex-guarded
//   mailbox. It never waits on audio: no call blocks on the decoder or the
//   device for more than the mailbox mutex.
//
// - One worker thread decodes into the session's SpscRing (lock-free, single
//   producer, single consumer) at the track's own decode rate, keeping it
//   InputFrame blocks of 256 output frames deep (at least 2048 frames) and
//   waiting InputWait ms (at least 1, and at least half the time one decode
//   block takes to play) whenever the ring is full. It carries out
//   seeks (after the audio thread has acknowledged the seek generation, so the
//   ring has one reader and one writer at all times, see TrackSession.h), opens
//   and closes the sound device (SDL2, or the silent device when none opens)
//   whenever the output rate changes, publishes the session the audio thread
//   plays, and frees retired sessions once the audio thread cannot hold them.
//
// - The device callback (SDL's audio thread, or the silent device's thread)
//   runs PlaybackChain::process: it pulls from the ring through RateConverter
//   (pitch and the output-rate cap), Equalizer, VolumeRamp and the mono mix,
//   and records which track position it handed over and when (OutputTimeline)
//   and the samples (SampleHistory). It takes no lock, allocates nothing and
//   logs nothing; converters and filters are prepared before they are swapped
//   in. A change of pitch, equalizer or volume therefore reaches the audio
//   handed to the device within one callback period.
//
// Position heard, spectrum and bit rate are what the callback handed over
// minus the device's buffer (OutputFrame x 32 frames), moved on by the time
// since the last callback. The render path (Output::Render) replaces the
// device by render(), which runs the same PlaybackChain::process as fast as it
// can be computed and has no device buffer.
//
// vbmp3_free joins the worker, which closes the device (joining its thread).
#include "vbmp3/Engine.h"

#include "common/SteadyClock.h"
#include "common/TextCodec.h"
#include "vbmp3/AudioDevice.h"
#include "vbmp3/Decoder.h"
#include "vbmp3/SdlAudioDevice.h"
#include "vbmp3/SilentAudioDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kDecodeBlock = 1152;   // frames decoded at once (one MPEG Layer II/III frame)
constexpr std::size_t kMinRingFrames = 2048;
constexpr int kBlockFrames = 256;            // unit of InputFrame and OutputFrame

void copyText(char *dst, const std::string &utf8) {
    const std::string cut = TextCodec::cutToUtf8Bytes(utf8, 127);
    std::memset(dst, 0, 128);
    std::memcpy(dst, cut.data(), cut.size());
}

} // namespace

std::size_t Engine::bufferFramesFor(int outputFrame) {
    return std::max<std::size_t>(128, static_cast<std::size_t>(outputFrame) * 32);
}

Engine::Engine(Output output) : output_(output), spectrumFrames_(SpectrumAnalyzer::kSize * 2) {
    staging_.resize(kDecodeBlock * 2);
    if (output_ == Output::Render)
        chain_.setReadNotifier(&Engine::notifyRead, this);
    worker_ = std::thread([this] { workerMain(); });
}

Engine::~Engine() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

// ---------------------------------------------------------------- options

bool Engine::setBufferOptions(const Vbmp3OptionData &o) {
    if (o.InputFrame < 1 || o.InputFrame > 100 || o.OutputFrame < 1 || o.OutputFrame > 100 ||
        o.InputWait < 0 || o.InputWait > 50 || o.OutputWait < 0 || o.OutputWait > 50 ||
        o.InputFrame < o.OutputFrame)
        return false;
    bufferOptions_ = o;
    inputWaitMs_.store(o.InputWait);
    bufferFrames_.store(bufferFramesFor(o.OutputFrame));
    chain_.setOutputWaitMs(o.OutputWait);
    return true;
}

bool Engine::setDecodeOptions(const DecodeOptionData &o) {
    if (o.InputSample < 0 || o.InputSample > 2 || o.OutputChannel < 0 || o.OutputChannel > 1 ||
        o.OutputSample < 8000 || o.OutputSample > 48000)
        return false;
    decodeOptions_ = o;
    chain_.setMono(o.OutputChannel == 1);
    return true;
}

bool Engine::setKaraokeUse(int use) {
    if (use != 0 && use != 1)
        return false;
    karaoke_ = use == 1;
    return true;
}

bool Engine::setLyricsTimeBase(int base) {
    if (base != 0 && base != 1)
        return false;
    lyricsTimeBase_ = base;
    return true;
}

bool Engine::setFftWindow(int window) {
    if (window < 0 || window > 3)
        return false;
    fftWindow_ = window;
    return true;
}

bool Engine::setProcessUntimed(int process) {
    if (process != 0 && process != 1)
        return false;
    lyrics_.setProcessUntimed(process == 1);
    return true;
}

bool Engine::setLyricsAdjustMs(int ms) {
    if (ms < -1000 || ms > 1000)
        return false;
    lyrics_.setAdjustMs(ms);
    return true;
}

// ---------------------------------------------------------------- tracks

bool Engine::open(const char *path, TrackInfoData *info) {
    close();
    if (info)
        std::memset(info, 0, sizeof *info);
    if (!path || !*path)
        return false;
    std::unique_ptr<Decoder> decoder = Decoder::openFile(path, decodeOptions_.InputSample);
    if (!decoder)
        return false;
    const Decoder::Info &di = decoder->info();
    // MPEG decoders down-sample themselves; other sources are converted.
    const int wanted = di.mpeg ? di.decodeRate : (di.decodeRate >> decodeOptions_.InputSample);
    const int outRate = std::max(1, std::min(wanted, decodeOptions_.OutputSample));
    const double ratio = double(di.decodeRate) / outRate;
    const auto ringFrames = std::max<std::size_t>(
        kMinRingFrames,
        static_cast<std::size_t>(std::ceil(double(bufferOptions_.InputFrame) * kBlockFrames * ratio)));
    if (info) {
        copyText(info->Title, di.title);
        copyText(info->SecondLine, di.artist);
        info->Channels = di.sourceChannels;
        info->AverageBitRate = di.averageKbps;
        info->SamplingRate = di.sourceRate;
        info->LengthSeconds = di.decodeRate > 0 ? static_cast<int32_t>(di.lengthFrames / di.decodeRate) : 0;
    }
    lastKbps_ = decoder->currentKbps() > 0 ? decoder->currentKbps() : di.averageKbps;
    auto session = std::make_unique<TrackSession>(std::move(decoder), ++nextSessionId_, outRate, ringFrames);
    current_ = session.release(); // the worker owns it from here on
    parked_ = 0;
    send({Command::Attach, current_});
    return true;
}

bool Engine::close() {
    if (!current_)
        return false;
    current_->transport.store(TrackSession::Stopped, std::memory_order_release);
    send({Command::Detach, current_});
    current_ = nullptr;
    parked_ = 0;
    lastKbps_ = 0;
    return true;
}

void Engine::requestSeek(int64_t frame) {
    current_->requestFrame.store(frame, std::memory_order_release);
    current_->requestGen.fetch_add(1, std::memory_order_acq_rel);
    parked_ = frame;
    kick();
}

void Engine::syncEnded() {
    if (!current_)
        return;
    if (current_->transport.load(std::memory_order_acquire) == TrackSession::Playing &&
        current_->endedGen.load(std::memory_order_acquire) == current_->requestGen.load(std::memory_order_acquire)) {
        // The last frame has been handed over: the track is stopped at its start.
        current_->transport.store(TrackSession::Stopped, std::memory_order_release);
        requestSeek(0);
    }
}

bool Engine::play() {
    syncEnded();
    if (!current_)
        return false;
    current_->transport.store(TrackSession::Playing, std::memory_order_release);
    return true;
}

bool Engine::restart() {
    return play();
}

bool Engine::stop() {
    syncEnded();
    if (!current_)
        return false;
    current_->transport.store(TrackSession::Stopped, std::memory_order_release);
    requestSeek(0);
    return true;
}

bool Engine::pause() {
    syncEnded();
    if (!current_)
        return false;
    int expected = TrackSession::Playing;
    current_->transport.compare_exchange_strong(expected, TrackSession::Paused, std::memory_order_acq_rel);
    return true;
}

bool Engine::seek(int seconds) {
    syncEnded();
    if (!current_)
        return false;
    int64_t frame = int64_t(std::max(seconds, 0)) * current_->decodeRate;
    const int64_t length = current_->info().lengthFrames;
    if (length > 0)
        frame = std::min(frame, length);
    requestSeek(frame);
    return true;
}

uint64_t Engine::currentKey() const {
    if (!current_)
        return 0;
    return current_->keyOf(current_->requestGen.load(std::memory_order_acquire));
}

double Engine::heardFrames() {
    if (!current_)
        return 0.0;
    if (current_->transport.load(std::memory_order_acquire) == TrackSession::Stopped)
        return double(parked_);
    const OutputTimeline &tl = chain_.timeline();
    const uint64_t frame =
        tl.heardFrame(chain_.latencyFrames(), chain_.rate(), chain_.interpolates(), SteadyClock::steadyNs());
    const std::optional<double> pos = tl.trackPositionAt(currentKey(), frame);
    return pos ? *pos : double(parked_);
}

double Engine::decodedFrames() {
    if (!current_)
        return 0.0;
    if (current_->transport.load(std::memory_order_acquire) == TrackSession::Stopped)
        return double(parked_);
    const std::optional<double> pos = chain_.timeline().lastHanded(currentKey());
    return pos ? *pos : double(parked_);
}

int Engine::decodeRate() const {
    return current_ ? current_->decodeRate : 0;
}

int Engine::outputRate() const {
    return current_ ? current_->outputRate : 0;
}

std::size_t Engine::deviceBufferFrames() const {
    return output_ == Output::Render ? 0 : deviceLatency_.load();
}

int Engine::state(int *elapsedSeconds) {
    syncEnded();
    int seconds = 0;
    int code = VBMP3_STATE_STOPPED;
    if (current_) {
        seconds = static_cast<int>(heardFrames() / current_->decodeRate);
        switch (current_->transport.load(std::memory_order_acquire)) {
        case TrackSession::Playing: code = VBMP3_STATE_PLAYING; break;
        case TrackSession::Paused: code = VBMP3_STATE_PAUSED; break;
        default: break;
        }
    }
    if (elapsedSeconds)
        *elapsedSeconds = seconds;
    return code;
}

int Engine::playBitRate() {
    syncEnded();
    if (!current_)
        return 0;
    if (current_->transport.load(std::memory_order_acquire) == TrackSession::Playing) {
        const int kbps = current_->bitRates.at(current_->requestGen.load(std::memory_order_acquire),
                                               static_cast<int64_t>(heardFrames()));
        if (kbps > 0)
            lastKbps_ = kbps;
    }
    return lastKbps_;
}

bool Engine::spectrum(int32_t left[256], int32_t right[256]) {
    syncEnded();
    std::fill(left, left + 256, 0);
    std::fill(right, right + 256, 0);
    if (!current_ || current_->transport.load(std::memory_order_acquire) != TrackSession::Playing)
        return true;
    const OutputTimeline &tl = chain_.timeline();
    const uint64_t frame =
        tl.heardFrame(chain_.latencyFrames(), chain_.rate(), chain_.interpolates(), SteadyClock::steadyNs());
    if (!chain_.history().copyEndingAt(frame, spectrumFrames_.data(), SpectrumAnalyzer::kSize))
        return true;
    analyzer_.analyze(spectrumFrames_.data(), SpectrumAnalyzer::kSize, 2, fftWindow_, left, right);
    return true;
}

// ---------------------------------------------------------------- lyrics

bool Engine::clearLyrics() {
    lyrics_.clear();
    return true;
}

bool Engine::setLyricsFile(const char *path) {
    if (!path)
        return false;
    return lyrics_.loadFile(path);
}

bool Engine::lyrics(LyricsData *d) {
    if (!d)
        return false;
    syncEnded();
    if (!karaoke_) {
        std::memset(d, 0, sizeof *d);
        d->NextLineStartMs = -1;
        return true;
    }
    double frames = 0.0;
    int rate = 1;
    if (current_) {
        frames = lyricsTimeBase_ == 1 ? heardFrames() : decodedFrames();
        rate = current_->decodeRate;
    }
    const auto ms = static_cast<int32_t>(std::min(frames * 1000.0 / rate, 2.0e9));
    lyrics_.query(ms, d);
    return true;
}

// ---------------------------------------------------------------- sound

bool Engine::setPitch(int percent) {
    if (percent < 50 || percent > 300)
        return false;
    chain_.setPitchPercent(percent);
    return true;
}

bool Engine::setEqualizer(const int32_t bands[10]) {
    if (!bands)
        return false;
    for (int i = 0; i < 10; ++i)
        stagedBands_[i] = std::clamp<int32_t>(bands[i], -100, 100);
    return true;
}

bool Engine::setSoftVolume(int left, int right) {
    if (left < 0 || left > 100 || right < 0 || right > 100)
        return false;
    stagedLeft_ = left;
    stagedRight_ = right;
    return true;
}

bool Engine::reload() {
    {
        std::lock_guard<std::mutex> lock(equalizerMutex_);
        chain_.equalizer().setBands(stagedBands_.data());
        chain_.equalizer().commit(chain_.rate());
    }
    chain_.volume().setTarget(stagedLeft_, stagedRight_);
    return true;
}

// ---------------------------------------------------------------- render path

std::size_t Engine::render(float *out, std::size_t frames) {
    if (output_ != Output::Render)
        return 0;
    std::size_t made = 0;
    int idleWaits = 0;
    while (made < frames) {
        const TrackSession *s = chain_.published();
        if (s != current_) {
            // The worker has not taken the open track over yet.
            std::unique_lock<std::mutex> lock(dataMutex_);
            dataReady_.wait_for(lock, std::chrono::milliseconds(1));
            continue;
        }
        if (s && s->outputRate != chain_.rate()) {
            std::lock_guard<std::mutex> lock(equalizerMutex_);
            chain_.prepare(s->outputRate, 0, false);
        }
        // Pieces of a device callback's size, so pitch, equalizer and volume
        // changes glide over the same stretch as on a device.
        const std::size_t piece = std::min(frames - made, bufferFrames_.load());
        const std::size_t got = chain_.process(out + 2 * made, piece, false);
        made += got;
        if (made == frames)
            break;
        if (got == piece)
            continue;
        if (got > 0) {
            idleWaits = 0;
        } else if (++idleWaits > 10000) {
            // Ten seconds without progress: never hang a test or a benchmark.
            std::memset(out + 2 * made, 0, (frames - made) * 2 * sizeof(float));
            break;
        }
        std::unique_lock<std::mutex> lock(dataMutex_);
        dataReady_.wait_for(lock, std::chrono::milliseconds(1));
    }
    return frames;
}

void Engine::notifyRead(void *context) {
    static_cast<Engine *>(context)->kick();
}

// ---------------------------------------------------------------- worker

void Engine::send(Command command) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(command);
    }
    wake_.notify_one();
}

void Engine::kick() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        kicked_ = true;
    }
    wake_.notify_one();
}

void Engine::deviceCallback(void *context, float *out, std::size_t frames) {
    static_cast<PlaybackChain *>(context)->process(out, frames, true);
}

void Engine::workerMain() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        while (!commands_.empty()) {
            const Command c = commands_.front();
            commands_.pop_front();
            lock.unlock();
            if (c.kind == Command::Attach)
                attach(c.session);
            else
                detach();
            lock.lock();
        }
        if (quit_)
            break;
        kicked_ = false;
        lock.unlock();
        freeRetired(false);
        std::chrono::milliseconds wait{0};
        const bool busy = decodeSome(&wait);
        lock.lock();
        if (busy || quit_ || !commands_.empty() || kicked_)
            continue;
        if (wait.count() > 0)
            wake_.wait_for(lock, wait, [this] { return quit_ || kicked_ || !commands_.empty(); });
        else
            wake_.wait(lock, [this] { return quit_ || kicked_ || !commands_.empty(); });
    }
    lock.unlock();
    closeDevice();
    chain_.publish(nullptr);
    active_.reset();
    retired_.clear();
    if (sdlTried_)
        SdlAudioDevice::quitSubsystem(); // also after a failed start: SDL keeps hints
}

void Engine::attach(TrackSession *s) {
    std::unique_ptr<TrackSession> owned(s);
    if (active_)
        detach();
    decode_ = DecodeState{};
    decode_.gen = s->requestGen.load(std::memory_order_acquire);
    decode_.seekPending = decode_.gen != 1;
    decode_.seekFrame = s->requestFrame.load(std::memory_order_acquire);
    active_ = std::move(owned);
    if (output_ == Output::Device && (!device_ || deviceRate_ != s->outputRate)) {
        closeDevice();
        chain_.publish(s);
        openDevice(s->outputRate);
    } else {
        chain_.publish(s);
    }
}

void Engine::detach() {
    if (!active_)
        return;
    if (chain_.published() == active_.get())
        chain_.publish(nullptr);
    retired_.push_back(std::move(active_));
    freeRetired(false);
}

void Engine::freeRetired(bool all) {
    retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                  [&](const std::unique_ptr<TrackSession> &r) {
                                      return all || chain_.mayFree(r.get());
                                  }),
                   retired_.end());
}

void Engine::closeDevice() {
    if (!device_)
        return;
    device_->close();
    device_.reset();
    deviceRate_ = 0;
    // The callback has stopped: nothing of the old sessions is in use.
    chain_.forgetInUse();
    freeRetired(false);
}

void Engine::openDevice(int rate) {
    const std::size_t buffer = bufferFrames_.load();
    {
        std::lock_guard<std::mutex> lock(equalizerMutex_);
        chain_.prepare(rate, buffer, true);
    }
    if (!sdlTried_) {
        sdlTried_ = true;
        std::string error;
        sdlReady_ = SdlAudioDevice::initSubsystem(&error);
        if (!sdlReady_ && !silentNoticeGiven_) {
            std::fprintf(stderr, "vbmp3: no sound output (%s); playing silently\n", error.c_str());
            silentNoticeGiven_ = true;
        }
    }
    if (sdlReady_) {
        auto sdl = std::make_unique<SdlAudioDevice>();
        if (sdl->open(rate, buffer, &Engine::deviceCallback, &chain_)) {
            deviceLatency_.store(sdl->latencyFrames());
            device_ = std::move(sdl);
            deviceRate_ = rate;
            return;
        }
        if (!silentNoticeGiven_) {
            std::fprintf(stderr, "vbmp3: no sound device could be opened (%s); playing silently\n",
                         sdl->lastError().c_str());
            silentNoticeGiven_ = true;
        }
    }
    auto silent = std::make_unique<SilentAudioDevice>();
    silent->open(rate, buffer, &Engine::deviceCallback, &chain_);
    deviceLatency_.store(silent->latencyFrames());
    device_ = std::move(silent);
    deviceRate_ = rate;
}

bool Engine::decodeSome(std::chrono::milliseconds *wait) {
    TrackSession *s = active_.get();
    if (!s)
        return false;
    const uint32_t gen = s->requestGen.load(std::memory_order_acquire);
    if (gen != decode_.gen) {
        decode_.gen = gen;
        decode_.seekPending = true;
        decode_.seekFrame = s->requestFrame.load(std::memory_order_acquire);
        decode_.stagedFrames = decode_.stagedOffset = 0;
    }
    if (decode_.seekPending) {
        // The ring may be emptied once the audio thread has let go of it.
        const bool heldByAudio = (output_ == Output::Render || device_) && !chain_.mayFree(s);
        if (heldByAudio && s->ackGen.load(std::memory_order_acquire) != decode_.gen) {
            *wait = std::chrono::milliseconds(1);
            return false;
        }
        s->ring.clear();
        int64_t reached = s->decoder().seek(decode_.seekFrame);
        decode_.finished = reached < 0;
        if (reached < 0)
            reached = decode_.seekFrame;
        decode_.nextFrame = reached;
        s->bitRates.dropBefore(decode_.gen);
        s->readyFrame.store(reached, std::memory_order_release);
        s->readyGen.store(decode_.gen, std::memory_order_release);
        decode_.seekPending = false;
        if (decode_.finished)
            s->doneGen.store(decode_.gen, std::memory_order_release);
    }
    if (decode_.finished)
        return false;

    const auto full = [&] {
        // InputWait, but at least half the time the output takes to play one
        // decode block (about 13 ms at 44.1 kHz): the ring is deep enough.
        const double blockMs = 1000.0 * kDecodeBlock * 100.0 / (double(s->decodeRate) * chain_.pitchPercent());
        const int ms = std::max({1, inputWaitMs_.load(), static_cast<int>(blockMs / 2)});
        *wait = std::chrono::milliseconds(ms);
        return false;
    };
    if (decode_.stagedOffset < decode_.stagedFrames) {
        decode_.stagedOffset += s->ring.write(staging_.data() + decode_.stagedOffset * 2,
                                              decode_.stagedFrames - decode_.stagedOffset);
        if (decode_.stagedOffset < decode_.stagedFrames)
            return full();
    }
    if (s->ring.freeFrames() < kDecodeBlock)
        return full();
    const std::size_t got = s->decoder().read(staging_.data(), kDecodeBlock);
    if (got == 0) {
        decode_.finished = true;
        s->doneGen.store(decode_.gen, std::memory_order_release);
        dataReady_.notify_all();
        return false;
    }
    s->bitRates.note(decode_.gen, decode_.nextFrame, s->decoder().currentKbps());
    decode_.nextFrame += int64_t(got);
    decode_.stagedFrames = got;
    decode_.stagedOffset = s->ring.write(staging_.data(), got);
    // Wake a waiting render call once the ring is (nearly) full rather than
    // after every block: it then takes the lot in one go, and the two threads
    // hand over a few times per ring instead of once per block.
    if (output_ == Output::Render && s->ring.freeFrames() < kDecodeBlock)
        dataReady_.notify_all();
    return true;
}
