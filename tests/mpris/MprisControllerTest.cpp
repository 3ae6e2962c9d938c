// The media controls' mapping onto the window, beyond what the playerctl run
// shows: buttons that are off, a window that is closing, the play modes
// as loop / shuffle, volumes out of range, change detection and metadata.
#include <cmath>

#include <QDBusObjectPath>
#include <QStringList>
#include <gtest/gtest.h>

#include "mpris/FakeMprisHost.h"
#include "mpris/MprisController.h"
#include "mpris/MprisMetadata.h"

using Commands = std::vector<int>;

TEST(MprisControllerTest, TransportAndOpenGoThroughEnabledButtonsOnly) {
    FakeMprisHost host;
    MprisController c(host);
    c.play();  // nothing loaded: every button but open is off
    c.next();
    host.loadList(1);  // one track in mode none: next stays off
    c.pause();
    c.next();
    c.play();
    c.play();   // already playing: nothing
    c.pause();
    c.pause();  // already paused: nothing
    c.play();   // resumes through the pause button
    c.stop();
    c.playPause();
    EXPECT_EQ(host.commands, (Commands{5, 6, 6, 2, 5}));
    host.isAvailable = false;  // the window is closing
    host.enabled[3] = host.enabled[4] = true;
    c.next();
    c.raise();
    c.quit();
    EXPECT_EQ(host.raises + host.quits, 0);

    // An opened file plays only when the window took it.
    host.isAvailable = true;
    c.stop();
    host.acceptsFiles = false;
    EXPECT_FALSE(c.openFile("/music/c.mp3"));
    host.acceptsFiles = true;
    EXPECT_TRUE(c.openFile("/music/b.mp3"));
    EXPECT_EQ(host.opened, std::vector<std::string>{"/music/b.mp3"});
    EXPECT_EQ(host.commands, (Commands{5, 6, 6, 2, 5, 2, 5}));
}

TEST(MprisControllerTest, PlayModesAsLoopAndShuffleAndVolumesOutOfRange) {
    FakeMprisHost host;
    MprisController c(host);
    const struct { uint8_t mode; const char *loop; bool shuffle; } table[] = {
        {255, "None", false}, {0, "Track", false}, {1, "Playlist", false}, {2, "Playlist", true}};
    for (const auto &row : table) {
        host.mode = row.mode;
        EXPECT_EQ(c.snapshot().loopStatus, row.loop);
        EXPECT_EQ(c.snapshot().shuffle, row.shuffle);
    }
    EXPECT_FALSE(c.setLoopStatus("playlist"));
    host.mode = 255;
    host.menuEnabled = false;  // the menu is out of use: no change
    c.setShuffle(true);
    c.setLoopStatus("Track");
    EXPECT_TRUE(host.modesChosen.empty());

    // Volumes out of range or not a number change nothing.
    for (double v : {1.5, std::nan("")}) c.setVolume(v);
    host.half = true;
    for (double v : {-1.0, std::nan("")}) c.setVolume(v);
    EXPECT_EQ(host.volumeToggles, 0);
}

// Property names compared as text: the same literal may live at two addresses.
static std::vector<std::string> names(const std::vector<const char *> &properties) {
    return std::vector<std::string>(properties.begin(), properties.end());
}

TEST(MprisControllerTest, SnapshotSignalsOnlyChangesAndASeekBack) {
    FakeMprisHost host;
    MprisController c(host);
    const MprisSnapshot empty = c.snapshot();
    host.loadList(3);
    const MprisSnapshot loaded = c.snapshot();
    EXPECT_EQ(names(MprisController::changedProperties(empty, loaded)),
              (std::vector<std::string>{"Metadata", "CanPlay", "CanGoNext"}));
    c.play();
    host.elapsed = 30;
    const MprisSnapshot playing = c.snapshot();
    EXPECT_EQ(names(MprisController::changedProperties(loaded, playing)),
              (std::vector<std::string>{"PlaybackStatus", "CanPause"}));

    // A restart of the same track is a seek back; a new track or a stop is not.
    host.elapsed = 0;
    EXPECT_TRUE(MprisController::seekedBack(playing, c.snapshot()));
    host.track.trackNumber = 2;
    EXPECT_FALSE(MprisController::seekedBack(playing, c.snapshot()));
    host.track.trackNumber = 1;
    c.stop();
    EXPECT_FALSE(MprisController::seekedBack(playing, c.snapshot()));
    host.isAvailable = false;
    EXPECT_FALSE(c.snapshot().track.present);
}

TEST(MprisControllerTest, MetadataNamesTheTrack) {
    QVariantMap m = MprisMetadata::toMap({true, 12, "曲名", "歌手", "/music/my song#1.mp3", 61});
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{QString::fromUtf8("歌手")});
    EXPECT_EQ(m.value("xesam:url").toString(), "file:///music/my%20song%231.mp3");
    // No artist, no length: left out. A WAVE format name is no title.
    m = MprisMetadata::toMap({true, 1, "WAVE_FORMAT_IEEE_FLOAT", "", "/music/take 2.wav", 0});
    EXPECT_EQ(m.value("xesam:title").toString(), "take 2.wav");
    EXPECT_FALSE(m.contains("xesam:artist") || m.contains("mpris:length"));
    m = MprisMetadata::toMap(MprisTrack{});
    EXPECT_EQ(m.size(), 1);
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), MprisMetadata::NoTrackPath);
}
