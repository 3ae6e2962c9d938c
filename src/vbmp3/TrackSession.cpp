#include "vbmp3/TrackSession.h"

TrackSession::TrackSession(std::unique_ptr<Decoder> decoder, uint32_t id, int outputRate_, std::size_t ringFrames)
    : id_(id), decodeRate(decoder->info().decodeRate), outputRate(outputRate_), ring(ringFrames, 2),
      decoder_(std::move(decoder)) {}
