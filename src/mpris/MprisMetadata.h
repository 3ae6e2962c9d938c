// SPDX-License-Identifier: GPL-3.0-or-later
// The Metadata map of the open track: track id, title, artist, length,
// track number and file URL, in the types media control clients expect.
#pragma once

#include <QString>
#include <QVariantMap>

#include "mpris/MprisHost.h"

class MprisMetadata {
public:
    static constexpr const char *NoTrackPath = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    static constexpr const char *TrackPathPrefix = "/org/corvale/Corvale/Track/";

    // The object path that names the track ("NoTrack" without one).
    static QString trackId(const MprisTrack &track);
    // The title tag; the file name when there is none or when the field only
    // names a WAVE format.
    static QString title(const MprisTrack &track);
    static QVariantMap toMap(const MprisTrack &track);
};
