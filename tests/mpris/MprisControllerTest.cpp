// The media controls' mapping onto the window: transport methods through
// enabled buttons only, loop / shuffle onto the play modes, volume onto the
// half-volume toggle, the reported state and metadata, and change detection.
#include <cmath>

#include <QDBusObjectPath>
#include <QStringList>
#include <gtest/gtest.h>

#include "mpris/MprisController.h"
#include "mpris/MprisMetadata.h"
#include "mpris/FakeMprisHost.h"

using Commands = std::vector<int>;

TEST(MprisControllerTest, TransportGoesThroughEnabledButtonsOnly) {
    FakeMprisHost host;
    MprisController c(host);
    // Nothing loaded: every button but open is off, so nothing happens.
    c.play();
    c.playPause();
    c.next();
    c.previous();
    c.stop();
    EXPECT_EQ(host.commands, Commands{});

    host.loadList(1);  // one track in mode none: next stays off
    c.pause();         // stopped: nothing to pause
    c.next();
    c.play();          // play button
    c.play();          // already playing: nothing
    c.pause();         // pause button
    c.pause();         // already paused: nothing
    c.play();          // resumes through the pause button
    c.playPause();     // pauses
    c.playPause();     // resumes
    c.stop();
    c.playPause();     // stopped: starts
    EXPECT_EQ(host.commands, (Commands{5, 6, 6, 6, 6, 2, 5}));

    host.commands.clear();
    host.enabled[3] = host.enabled[4] = true;
    c.next();
    c.previous();
    host.isAvailable = false;  // the window is closing
    c.next();
    c.stop();
    c.raise();
    c.quit();
    EXPECT_EQ(host.commands, (Commands{4, 3}));
    EXPECT_EQ(host.raises + host.quits, 0);
}

TEST(MprisControllerTest, OpenedFilePlaysOnlyWhenTheWindowTookIt) {
    FakeMprisHost host;
    host.loadList(2);
    MprisController c(host);
    EXPECT_TRUE(c.openFile("/music/b.mp3"));
    EXPECT_EQ(host.commands, Commands{5});
    host.acceptsFiles = false;
    EXPECT_FALSE(c.openFile("/music/c.mp3"));
    EXPECT_FALSE(c.openFile(""));
    EXPECT_EQ(host.opened, std::vector<std::string>{"/music/b.mp3"});
    EXPECT_EQ(host.commands, Commands{5});
}

TEST(MprisControllerTest, LoopAndShuffleMapOntoPlayModes) {
    FakeMprisHost host;
    MprisController c(host);
    const struct { uint8_t mode; const char *loop; bool shuffle; } table[] = {
        {255, "None", false}, {0, "Track", false}, {1, "Playlist", false}, {2, "Playlist", true}};
    for (const auto &row : table) {
        host.mode = row.mode;
        EXPECT_EQ(c.snapshot().loopStatus, row.loop);
        EXPECT_EQ(c.snapshot().shuffle, row.shuffle);
    }

    host.mode = 255;
    EXPECT_TRUE(c.setLoopStatus("Track"));
    EXPECT_TRUE(c.setLoopStatus("Playlist"));
    c.setShuffle(true);
    EXPECT_TRUE(c.setLoopStatus("Playlist"));  // random repeat already loops: kept
    c.setShuffle(true);                         // unchanged: the list is not reshuffled
    c.setShuffle(false);                        // back to plain repeat all
    c.setShuffle(false);
    EXPECT_TRUE(c.setLoopStatus("None"));
    EXPECT_FALSE(c.setLoopStatus("playlist"));
    EXPECT_EQ(host.modesChosen, (std::vector<uint8_t>{0, 1, 2, 1, 255}));

    host.menuEnabled = false;  // the menu is out of use: no change
    c.setShuffle(true);
    EXPECT_EQ(host.modesChosen.size(), 5u);
}

TEST(MprisControllerTest, VolumeStepsBetweenFullAndHalf) {
    FakeMprisHost host;
    MprisController c(host);
    EXPECT_EQ(c.snapshot().volume, 1.0);
    c.setVolume(1.0);  // already full
    c.setVolume(1.5);
    EXPECT_EQ(host.volumeToggles, 0);
    c.setVolume(0.9);  // any step down gives half volume
    EXPECT_EQ(c.snapshot().volume, 0.5);
    c.setVolume(0.0);
    c.setVolume(-1.0);
    c.setVolume(std::nan(""));
    EXPECT_EQ(host.volumeToggles, 1);
    c.setVolume(0.6);  // any step up gives full volume
    EXPECT_EQ(host.volumeToggles, 2);
    EXPECT_FALSE(host.half);
}

// Property names compared as text: the same literal may live at two addresses.
static std::vector<std::string> names(const std::vector<const char *> &properties) {
    return std::vector<std::string>(properties.begin(), properties.end());
}

TEST(MprisControllerTest, SnapshotReportsStateAndSignalsOnlyChanges) {
    FakeMprisHost host;
    MprisController c(host);
    const MprisSnapshot empty = c.snapshot();
    EXPECT_EQ(empty.playbackStatus, "Stopped");
    EXPECT_FALSE(empty.canPlay || empty.canPause || empty.canGoNext || empty.canGoPrevious);
    EXPECT_TRUE(MprisController::changedProperties(empty, c.snapshot()).empty());

    host.loadList(3);
    const MprisSnapshot loaded = c.snapshot();
    EXPECT_TRUE(loaded.canPlay && loaded.canGoNext);
    EXPECT_FALSE(loaded.canPause || loaded.canGoPrevious);
    EXPECT_EQ(names(MprisController::changedProperties(empty, loaded)),
              (std::vector<std::string>{"Metadata", "CanPlay", "CanGoNext"}));

    c.play();
    host.elapsed = 30;
    const MprisSnapshot playing = c.snapshot();
    EXPECT_EQ(playing.playbackStatus, "Playing");
    EXPECT_TRUE(playing.canPlay && playing.canPause);  // play resumes through the pause button
    EXPECT_EQ(names(MprisController::changedProperties(loaded, playing)),
              (std::vector<std::string>{"PlaybackStatus", "CanPause"}));
    EXPECT_EQ(c.positionMicroseconds(), 30000000);

    // A restart of the same track is a seek back; a new track or a stop is not.
    host.elapsed = 0;
    EXPECT_TRUE(MprisController::seekedBack(playing, c.snapshot()));
    host.track.trackNumber = 2;
    EXPECT_FALSE(MprisController::seekedBack(playing, c.snapshot()));
    host.track.trackNumber = 1;
    c.stop();
    EXPECT_FALSE(MprisController::seekedBack(playing, c.snapshot()));

    host.isAvailable = false;
    EXPECT_EQ(c.snapshot().playbackStatus, "Stopped");
    EXPECT_FALSE(c.snapshot().track.present);
}

// (Track id, number, length and the file name as title are read back by
// playerctl from the running player in MprisSessionTest.)
TEST(MprisControllerTest, MetadataNamesTheTrack) {
    QVariantMap m = MprisMetadata::toMap({true, 12, "曲名", "歌手", "/music/my song#1.mp3", 61});
    EXPECT_EQ(m.value("xesam:title").toString(), QString::fromUtf8("曲名"));
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{QString::fromUtf8("歌手")});
    EXPECT_EQ(m.value("mpris:length").typeId(), QMetaType::LongLong);
    EXPECT_EQ(m.value("xesam:url").toString(), "file:///music/my%20song%231.mp3");

    // No artist, no length: left out. A WAVE format name is no title.
    for (const char *title : {"", "WAVE_FORMAT_IEEE_FLOAT"}) {
        m = MprisMetadata::toMap({true, 1, title, "", "/music/take 2.wav", 0});
        EXPECT_EQ(m.value("xesam:title").toString(), "take 2.wav");
        EXPECT_FALSE(m.contains("xesam:artist") || m.contains("mpris:length"));
    }
    m = MprisMetadata::toMap(MprisTrack{});
    EXPECT_EQ(m.size(), 1);
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), MprisMetadata::NoTrackPath);
}
