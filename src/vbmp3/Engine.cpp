// SPDX-License-Identifier: GPL-3.0-or-later
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
//   producer, single consumer) at the track's own decode rate (RingFiller),
//   keeping it InputFrame blocks of 256 output frames deep (at least 2048
//   frames). It sleeps on a WakeSignal whenever it has nothing to do: the
//   player's thread posts with every command and seek, the audio thread when
//   a read takes the ring below half, when it acknowledges a seek and when a
//   tail ends, so a full ring, a pause or a stop cost no wake-ups. It carries
//   out seeks (after the audio thread has acknowledged the seek generation, so
//   the ring has one reader and one writer at all times, see TrackSession.h),
//   opens and closes the sound device (SoundOutput) whenever the output rate
//   changes, publishes the session the audio thread plays and the tail it
//   plays out first, and frees retired sessions once the audio thread cannot
//   hold them.
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
// since the last callback. The render path (Output::Render) has neither
// device nor worker: commands are carried out on the player's thread at once,
// and render() runs the same PlaybackChain::process as fast as it can be
// computed, decoding on the same thread whenever the chain waits for audio
// (no hand-over between threads, no device buffer).
//
// Track changes without a gap: through a device the end of a track is
// reported (state 0) once it is all decoded, its last frames still in the ring.
// Of the engine module's stop, close, open and play that follow, the stop
// leaves the last frames alone, the close hands the session to the worker as
// the tail, and the audio thread plays the tail out and goes on with the next
// track in the same buffer (PlaybackChain). A play of the ended track itself
// (repeat one) opens the file again behind the tail. A pause, seek, or other
// stop or close cuts the tail with a fade. A next track of another output
// rate waits for the tail, then reopens the device. On the render path the
// end is reported at the last frame: there is no device buffer to cover.
//
// vbmp3_free joins the worker, which closes the device (joining its thread).
#include "vbmp3/Engine.h"

#include "common/SteadyClock.h"
#include "vbmp3/Decoder.h"
#include "vbmp3/SoundOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

std::size_t Engine::bufferFramesFor(int outputFrame) {
    return std::max<std::size_t>(128, static_cast<std::size_t>(outputFrame) * 32);
}

Engine::Engine(Output output) : output_(output), spectrumFrames_(SpectrumAnalyzer::Size * 2) {
    chain_.setReadNotifier(&Engine::notifyRead, this);
    if (output_ == Output::Device) {
        sound_ = std::make_unique<SoundOutput>();
        worker_ = std::thread([this] { workerMain(); });
    }
}

Engine::~Engine() {
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        signal_.post();
        worker_.join();
    } else {
        chain_.publish(nullptr);
        chain_.publishTail(nullptr);
    }
}

// ---------------------------------------------------------------- options

bool Engine::setBufferOptions(const Vbmp3OptionData &o) {
    if (o.InputFrame < 1 || o.InputFrame > 100 || o.OutputFrame < 1 || o.OutputFrame > 100 || o.InputWait < 0 ||
        o.InputWait > 50 || o.OutputWait < 0 || o.OutputWait > 50 || o.InputFrame < o.OutputFrame)
        return false;
    bufferOptions_ = o;
    inputWaitMs_.store(o.InputWait);
    bufferFrames_.store(bufferFramesFor(o.OutputFrame));
    chain_.setOutputWaitMs(o.OutputWait);
    return true;
}

bool Engine::setDecodeOptions(const DecodeOptionData &o) {
    if (o.InputSample < 0 || o.InputSample > 2 || o.OutputChannel < 0 || o.OutputChannel > 1 || o.OutputSample < 8000 ||
        o.OutputSample > 48000)
        return false;
    decodeOptions_ = o;
    chain_.setMono(o.OutputChannel == 1);
    return true;
}

bool Engine::setKaraokeUse(int use) {
    if (use != 0 && use != 1) return false;
    karaoke_ = use == 1;
    return true;
}

bool Engine::setLyricsTimeBase(int base) {
    if (base != 0 && base != 1) return false;
    lyricsTimeBase_ = base;
    return true;
}

bool Engine::setFftWindow(int window) {
    if (window < 0 || window > 3) return false;
    fftWindow_ = window;
    return true;
}

bool Engine::setProcessUntimed(int process) {
    if (process != 0 && process != 1) return false;
    lyrics_.setProcessUntimed(process == 1);
    return true;
}

bool Engine::setLyricsAdjustMs(int ms) {
    if (ms < -1000 || ms > 1000) return false;
    lyrics_.setAdjustMs(ms);
    return true;
}

// ---------------------------------------------------------------- tracks

std::unique_ptr<TrackSession> Engine::makeSession(const std::string &path, TrackInfoData *info) {
    auto session = TrackSession::open(path, decodeOptions_, bufferOptions_.InputFrame, ++nextSessionId_, info);
    if (session)
        lastKbps_ =
            session->decoder().currentKbps() > 0 ? session->decoder().currentKbps() : session->info().averageKbps;
    return session;
}

bool Engine::open(const char *path, TrackInfoData *info) {
    close();
    if (info) std::memset(info, 0, sizeof *info);
    if (!path || !*path) return false;
    std::unique_ptr<TrackSession> session = makeSession(path, info);
    if (!session) return false;
    path_ = path;
    current_ = session.release();  // the worker owns it from here on
    parked_ = 0;
    send({Command::Attach, current_});
    return true;
}

bool Engine::close() {
    if (!current_) return false;
    if (atEnd_) {
        // Right after the end: its last frames play on, and a track opened and
        // played next follows them.
        send({Command::DetachAsTail, current_});
        tailSent_ = true;
    } else {
        current_->transport.store(TrackSession::Stopped, std::memory_order_release);
        cutTail();
        send({Command::Detach, current_});
    }
    current_ = nullptr;
    atEnd_ = false;
    parked_ = 0;
    lastKbps_ = 0;
    return true;
}

void Engine::cutTail() {
    if (!tailSent_) return;
    tailSent_ = false;
    send({Command::CutTail, nullptr});
}

void Engine::requestSeek(int64_t frame) {
    current_->requestFrame.store(frame, std::memory_order_release);
    current_->requestGen.fetch_add(1, std::memory_order_acq_rel);
    parked_ = frame;
    kick();
}

void Engine::syncEnded() {
    if (!current_ || atEnd_ || current_->transport.load(std::memory_order_acquire) != TrackSession::Playing) return;
    const uint32_t gen = current_->requestGen.load(std::memory_order_acquire);
    bool ended = current_->endedGen.load(std::memory_order_acquire) == gen;
    if (!ended && output_ == Output::Device && current_->doneGen.load(std::memory_order_acquire) == gen) {
        // All of the track is decoded: report the end while the ring still
        // holds its last frames (up to InputFrame blocks), the time the
        // player has to open and play the next track, which then follows
        // them without a gap. Not before any of it was handed over: a tail in
        // front of it has then ended, so one tail at most waits at a time,
        // however short the tracks.
        ended = chain_.timeline().lastHanded(current_->keyOf(gen)).has_value();
    }
    if (ended) {
        atEnd_ = true;
        parked_ = 0;
    }
}

void Engine::settleEnd() {
    if (!atEnd_) return;
    // Something other than the next track: the rest of the old one fades out
    // and the track waits at its start.
    atEnd_ = false;
    current_->transport.store(TrackSession::Stopped, std::memory_order_release);
    requestSeek(0);
}

bool Engine::play() {
    syncEnded();
    if (!current_) return false;
    if (atEnd_) {
        // The same track again (repeat one): a new session of the file follows
        // the last frames of this one.
        std::unique_ptr<TrackSession> again = makeSession(path_, nullptr);
        if (again) {
            send({Command::DetachAsTail, current_});
            tailSent_ = true;
            current_ = again.release();
            atEnd_ = false;
            parked_ = 0;
            send({Command::Attach, current_});
        } else {
            settleEnd();
        }
    }
    current_->transport.store(TrackSession::Playing, std::memory_order_release);
    kick();  // a stopped device starts again
    return true;
}

bool Engine::stop() {
    syncEnded();
    if (!current_) return false;
    if (atEnd_) return true;  // already stopped; the last frames play on
    current_->transport.store(TrackSession::Stopped, std::memory_order_release);
    cutTail();
    requestSeek(0);
    return true;
}

bool Engine::pause() {
    syncEnded();
    if (!current_) return false;
    settleEnd();
    cutTail();
    int expected = TrackSession::Playing;
    current_->transport.compare_exchange_strong(expected, TrackSession::Paused, std::memory_order_acq_rel);
    return true;
}

bool Engine::seek(int seconds) {
    syncEnded();
    if (!current_) return false;
    settleEnd();
    cutTail();
    int64_t frame = int64_t(std::max(seconds, 0)) * current_->decodeRate;
    const int64_t length = current_->info().lengthFrames;
    if (length > 0) frame = std::min(frame, length);
    requestSeek(frame);
    return true;
}

uint64_t Engine::currentKey() const {
    if (!current_) return 0;
    return current_->keyOf(current_->requestGen.load(std::memory_order_acquire));
}

double Engine::heardFrames() {
    if (!current_) return 0.0;
    if (atEnd_ || current_->transport.load(std::memory_order_acquire) == TrackSession::Stopped) return double(parked_);
    const OutputTimeline &tl = chain_.timeline();
    const uint64_t frame =
        tl.heardFrame(chain_.latencyFrames(), chain_.rate(), chain_.interpolates(), SteadyClock::steadyNs());
    const std::optional<double> pos = tl.trackPositionAt(currentKey(), frame);
    return pos ? *pos : double(parked_);
}

double Engine::decodedFrames() {
    if (!current_) return 0.0;
    if (atEnd_ || current_->transport.load(std::memory_order_acquire) == TrackSession::Stopped) return double(parked_);
    const std::optional<double> pos = chain_.timeline().lastHanded(currentKey());
    return pos ? *pos : double(parked_);
}

int Engine::decodeRate() const { return current_ ? current_->decodeRate : 0; }

int Engine::outputRate() const { return current_ ? current_->outputRate : 0; }

bool Engine::deviceRunning() const { return sound_ && sound_->running(); }

std::size_t Engine::deviceBufferFrames() const { return output_ == Output::Render ? 0 : sound_->latencyFrames(); }

int Engine::state(int *elapsedSeconds) {
    syncEnded();
    int seconds = 0;
    int code = VBMP3_STATE_STOPPED;
    if (current_) {
        seconds = static_cast<int>(heardFrames() / current_->decodeRate);
        switch (atEnd_ ? int(TrackSession::Stopped) : current_->transport.load(std::memory_order_acquire)) {
        case TrackSession::Playing: code = VBMP3_STATE_PLAYING; break;
        case TrackSession::Paused: code = VBMP3_STATE_PAUSED; break;
        default: break;
        }
    }
    if (elapsedSeconds) *elapsedSeconds = seconds;
    return code;
}

int Engine::playBitRate() {
    syncEnded();
    if (!current_) return 0;
    if (!atEnd_ && current_->transport.load(std::memory_order_acquire) == TrackSession::Playing) {
        const int kbps = current_->bitRates.at(current_->requestGen.load(std::memory_order_acquire),
                                               static_cast<int64_t>(heardFrames()));
        if (kbps > 0) lastKbps_ = kbps;
    }
    return lastKbps_;
}

bool Engine::spectrum(int32_t left[256], int32_t right[256]) {
    syncEnded();
    std::fill(left, left + 256, 0);
    std::fill(right, right + 256, 0);
    if (!current_ || atEnd_ || current_->transport.load(std::memory_order_acquire) != TrackSession::Playing)
        return true;
    const OutputTimeline &tl = chain_.timeline();
    const uint64_t frame =
        tl.heardFrame(chain_.latencyFrames(), chain_.rate(), chain_.interpolates(), SteadyClock::steadyNs());
    if (!chain_.history().copyEndingAt(frame, spectrumFrames_.data(), SpectrumAnalyzer::Size)) return true;
    analyzer_.analyze(spectrumFrames_.data(), SpectrumAnalyzer::Size, 2, fftWindow_, left, right);
    return true;
}

// ---------------------------------------------------------------- lyrics

bool Engine::clearLyrics() {
    lyrics_.clear();
    return true;
}

bool Engine::setLyricsFile(const char *path) {
    if (!path) return false;
    return lyrics_.loadFile(path);
}

bool Engine::lyrics(LyricsData *d) {
    if (!d) return false;
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
    if (percent < 50 || percent > 300) return false;
    chain_.setPitchPercent(percent);
    return true;
}

bool Engine::setEqualizer(const int32_t bands[10]) {
    if (!bands) return false;
    for (int i = 0; i < 10; ++i) stagedBands_[i] = std::clamp<int32_t>(bands[i], -100, 100);
    return true;
}

bool Engine::setSoftVolume(int left, int right) {
    if (left < 0 || left > 100 || right < 0 || right > 100) return false;
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
    if (output_ != Output::Render) return 0;
    std::size_t made = 0;
    int stuck = 0;
    while (made < frames) {
        serviceTail();
        freeRetired(false);
        const TrackSession *s = chain_.published();
        if (s && s->outputRate != chain_.rate()) {
            std::lock_guard<std::mutex> lock(equalizerMutex_);
            chain_.prepare(s->outputRate, 0, false);
        }
        // Pieces of a device callback's size, so pitch, equalizer and volume
        // changes glide over the same stretch as on a device.
        const std::size_t piece = std::min(frames - made, bufferFrames_.load());
        const std::size_t got = chain_.process(out + 2 * made, piece, false);
        made += got;
        if (made == frames || got == piece) continue;
        // The chain waits for the decoder: decode right here.
        int waitMs = -1;
        const bool decoded = decodeSome(&waitMs);
        stuck = (got > 0 || decoded) ? 0 : stuck + 1;
        if (stuck > 3) {
            // Neither side moves (never expected): silence, not a hang.
            std::memset(out + 2 * made, 0, (frames - made) * 2 * sizeof(float));
            break;
        }
    }
    return frames;
}

void Engine::notifyRead(void *context) { static_cast<Engine *>(context)->kick(); }

// ---------------------------------------------------------------- worker

void Engine::send(Command command) {
    if (output_ == Output::Render) {
        carryOut(command);  // no worker: the render calls decode
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(command);
    }
    signal_.post();
}

void Engine::carryOut(const Command &c) {
    switch (c.kind) {
    case Command::Attach: attach(c.session); break;
    case Command::Detach: detach(); break;
    case Command::DetachAsTail: detachAsTail(); break;
    case Command::CutTail:
        if (tail_) tail_->cut.store(true, std::memory_order_release);
        break;
    }
}

void Engine::kick() { signal_.post(); }

void Engine::deviceCallback(void *context, float *out, std::size_t frames) {
    static_cast<PlaybackChain *>(context)->process(out, frames, true);
}

void Engine::workerMain() {
    std::deque<Command> todo;
    for (;;) {
        // Read the signal before looking for work: a post after this point is
        // never slept through.
        const uint32_t seen = signal_.sequence();
        bool quit = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            todo.swap(commands_);
            quit = quit_;
        }
        for (const Command &c : todo) carryOut(c);
        todo.clear();
        if (quit) break;
        serviceTail();
        freeRetired(false);
        int waitMs = -1;
        if (decodeSome(&waitMs)) continue;
        idleDevice(&waitMs);
        // The audio thread posts when a tail ends and when it lets go of a
        // session; the timeout only covers a device that stopped calling.
        if (tail_ || !retired_.empty()) waitMs = waitMs < 0 ? 20 : std::min(waitMs, 20);
        signal_.wait(seen, waitMs);
    }
    closeDevice();
    chain_.publish(nullptr);
    chain_.publishTail(nullptr);
    active_.reset();
    tail_.reset();
    retired_.clear();
    sound_.reset();  // SDL ends on the thread that started it
}

void Engine::attach(TrackSession *s) {
    std::unique_ptr<TrackSession> owned(s);
    if (active_) detach();
    filler_.start(*s);
    active_ = std::move(owned);
    if (output_ == Output::Device && (!sound_->isOpen() || sound_->rate() != s->outputRate)) {
        if (sound_->isOpen() && tail_) {
            // Another rate: the tail plays out at the old one first.
            reopenPending_ = true;
            return;
        }
        closeDevice();
        chain_.publish(s);
        openDevice(s->outputRate);
    } else {
        chain_.publish(s);
    }
}

void Engine::detach() {
    if (!active_) return;
    if (chain_.published() == active_.get()) chain_.publish(nullptr);
    reopenPending_ = false;
    retired_.push_back(std::move(active_));
    freeRetired(false);
}

void Engine::detachAsTail() {
    if (!active_) return;
    if (reopenPending_) {
        detach();  // never played: nothing to play out
        return;
    }
    if (tail_)  // (the end is not reported while a tail plays: not reached)
        retired_.push_back(std::move(tail_));
    tail_ = std::move(active_);
    chain_.publishTail(tail_.get());
    if (chain_.published() == tail_.get()) chain_.publish(nullptr);
}

void Engine::serviceTail() {
    if (tail_ && PlaybackChain::finished(tail_.get())) {
        chain_.publishTail(nullptr);
        retired_.push_back(std::move(tail_));
    }
    if (reopenPending_ && !tail_) {
        reopenPending_ = false;
        closeDevice();
        chain_.publish(active_.get());
        openDevice(active_->outputRate);
    }
}

void Engine::freeRetired(bool all) {
    // While the audio thread does not run (a stopped device, or between render
    // calls) let go of what it last held: no polling for its next callback.
    const bool stopped = output_ == Output::Render || !sound_->running();
    retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                  [&](const std::unique_ptr<TrackSession> &r) {
                                      if (stopped) chain_.forget(r.get());
                                      return all || chain_.mayFree(r.get());
                                  }),
                   retired_.end());
}

void Engine::closeDevice() {
    if (!sound_->isOpen()) return;
    sound_->close();
    // The callback has stopped: nothing of the old sessions is in use.
    chain_.forgetInUse();
    freeRetired(false);
}

void Engine::idleDevice(int *waitMs) {
    const TrackSession *s = active_.get();
    const bool wanted = tail_ || (s && s->transport.load(std::memory_order_acquire) == TrackSession::Playing &&
                                  !PlaybackChain::finished(s));
    const int ms = sound_->keep(wanted, chain_.quiet());
    if (ms >= 0) *waitMs = *waitMs < 0 ? ms : std::min(*waitMs, ms);
    if (!sound_->running()) freeRetired(false);
}

void Engine::openDevice(int rate) {
    const std::size_t buffer = bufferFrames_.load();
    {
        std::lock_guard<std::mutex> lock(equalizerMutex_);
        chain_.prepare(rate, buffer, true);
    }
    sound_->open(rate, buffer, &Engine::deviceCallback, &chain_);
}

bool Engine::decodeSome(int *waitMs) {
    TrackSession *s = active_.get();
    if (!s) return false;
    // (A stopped device does not call back; on the render path the chain runs
    // on this thread, between decodes, and acknowledges there.)
    const bool running = output_ == Output::Render || sound_->running();
    const bool heldByAudio = running && !chain_.mayFree(s);
    switch (filler_.fill(*s, heldByAudio)) {
    case RingFiller::Result::Decoded: return true;
    case RingFiller::Result::AwaitAck:
        *waitMs = 5;  // the audio thread posts when it acknowledges
        return false;
    default:
        // Full (the audio thread posts when the ring falls below half), or at
        // the end.
        return false;
    }
}
