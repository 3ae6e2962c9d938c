// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/MprisMetadata.h"

#include <QDBusObjectPath>
#include <QFile>
#include <QStringList>
#include <QUrl>

QString MprisMetadata::trackId(const MprisTrack &track) {
    if (!track.present) return QString::fromLatin1(NoTrackPath);
    return QString::fromLatin1(TrackPathPrefix) + QString::number(track.trackNumber);
}

QString MprisMetadata::title(const MprisTrack &track) {
    if (!track.tagTitle.empty() && track.tagTitle.rfind("WAVE_FORMAT_", 0) != 0)
        return QString::fromStdString(track.tagTitle);
    const std::size_t slash = track.path.find_last_of('/');
    return QFile::decodeName(track.path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
}

QVariantMap MprisMetadata::toMap(const MprisTrack &track) {
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId(track))));
    if (!track.present) return map;
    map.insert(QStringLiteral("xesam:title"), title(track));
    if (!track.tagArtist.empty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{QString::fromStdString(track.tagArtist)});
    if (track.lengthSeconds > 0)
        map.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(track.lengthSeconds) * 1000000);
    map.insert(QStringLiteral("xesam:trackNumber"), track.trackNumber);
    if (!track.path.empty())
        map.insert(QStringLiteral("xesam:url"),
                   QString::fromLatin1(QUrl::fromLocalFile(QFile::decodeName(track.path.c_str())).toEncoded()));
    return map;
}
