// SPDX-License-Identifier: GPL-3.0-or-later
#include "vbmp3/TrackSession.h"

#include "common/TextCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t MinRingFrames = 2048;
constexpr int BlockFrames = 256;  // unit of InputFrame

void copyText(char *dst, const std::string &utf8) {
    const std::string cut = TextCodec::cutToUtf8Bytes(utf8, 127);
    std::memset(dst, 0, 128);
    std::memcpy(dst, cut.data(), cut.size());
}

}  // namespace

TrackSession::TrackSession(std::unique_ptr<Decoder> decoder, uint32_t id, int outputRate_, std::size_t ringFrames)
    : id_(id), decodeRate(decoder->info().decodeRate), outputRate(outputRate_), ring(ringFrames, 2),
      decoder_(std::move(decoder)) {}

std::unique_ptr<TrackSession> TrackSession::open(const std::string &path, const DecodeOptionData &options,
                                                 int inputFrame, uint32_t id, TrackInfoData *info) {
    std::unique_ptr<Decoder> decoder = Decoder::openFile(path, options.InputSample);
    if (!decoder) return nullptr;
    const Decoder::Info &di = decoder->info();
    // MPEG decoders down-sample themselves; other sources are converted.
    const int wanted = di.mpeg ? di.decodeRate : (di.decodeRate >> options.InputSample);
    const int outRate = std::max(1, std::min(wanted, options.OutputSample));
    const double ratio = double(di.decodeRate) / outRate;
    const auto ringFrames = std::max<std::size_t>(
        MinRingFrames, static_cast<std::size_t>(std::ceil(double(inputFrame) * BlockFrames * ratio)));
    if (info) {
        copyText(info->Title, di.title);
        copyText(info->SecondLine, di.artist);
        info->Channels = di.sourceChannels;
        info->AverageBitRate = di.averageKbps;
        info->SamplingRate = di.sourceRate;
        info->LengthSeconds = di.decodeRate > 0 ? static_cast<int32_t>(di.lengthFrames / di.decodeRate) : 0;
    }
    return std::make_unique<TrackSession>(std::move(decoder), id, outRate, ringFrames);
}
