// SPDX-License-Identifier: GPL-3.0-or-later
// What the playerctl run cannot show: buttons that are off, a closing window,
// volumes out of range, change detection and metadata.
#include <cmath>

#include <gtest/gtest.h>
#include <QStringList>

#include "mpris/FakeMprisHost.h"
#include "mpris/MprisController.h"
#include "mpris/MprisMetadata.h"

using Commands = std::vector<int>;

TEST(MprisControllerTest, ActionsGoThroughEnabledButtonsOfAnAvailableWindowOnly) {
    FakeMprisHost host;
    MprisController c(host);
    c.play();          // nothing loaded: every button but open is off
    host.loadList(1);  // one track in mode none: next stays off
    c.next();
    c.play();
    c.play();  // already playing: nothing
    c.pause();
    c.pause();  // already paused: nothing
    c.play();   // resumes through the pause button
    c.stop();
    c.playPause();
    EXPECT_EQ(host.commands, (Commands{5, 6, 6, 2, 5}));
    host.isAvailable = false;  // the window is closing
    host.enabled[3] = host.enabled[4] = true;
    c.next();
    c.quit();
    EXPECT_EQ(host.quits, 0);
    host.isAvailable = true;
    c.stop();
    host.acceptsFiles = false;  // an opened file plays only when the window took it
    EXPECT_FALSE(c.openFile("/music/c.mp3"));
    EXPECT_EQ(host.commands, (Commands{5, 6, 6, 2, 5, 2}));
    EXPECT_FALSE(c.setLoopStatus("playlist"));
    host.menuEnabled = false;  // the menu is out of use: no change
    c.setShuffle(true);
    c.setLoopStatus("Track");
    EXPECT_TRUE(host.modesChosen.empty());

    for (double v : {1.5, std::nan("")}) c.setVolume(v);
    host.half = true;
    for (double v : {-1.0, std::nan("")}) c.setVolume(v);
    EXPECT_EQ(host.volumeToggles, 0);
}

TEST(MprisControllerTest, SnapshotSignalsOnlyChangesAndASeekBack) {
    FakeMprisHost host;
    MprisController c(host);
    host.loadList(3);
    const MprisSnapshot loaded = c.snapshot();
    c.play();
    host.elapsed = 30;
    const MprisSnapshot playing = c.snapshot();
    EXPECT_EQ(MprisController::changedProperties(loaded, playing).size(), 2u);  // status and pause

    host.elapsed = 0;  // the same track again is a seek back; a new track is not
    EXPECT_TRUE(MprisController::seekedBack(playing, c.snapshot()));
    host.track.trackNumber = 2;
    EXPECT_FALSE(MprisController::seekedBack(playing, c.snapshot()));
}

TEST(MprisControllerTest, MetadataNamesTheTrack) {
    QVariantMap m = MprisMetadata::toMap({true, 12, "曲名", "歌手", "/music/my song#1.mp3", 61});
    EXPECT_EQ(m.value("xesam:url").toString(), "file:///music/my%20song%231.mp3");
    m = MprisMetadata::toMap({true, 1, "WAVE_FORMAT_IEEE_FLOAT", "", "/music/take 2.wav", 0});
    EXPECT_EQ(m.value("xesam:title").toString(), "take 2.wav");
    EXPECT_FALSE(m.contains("xesam:artist") || m.contains("mpris:length"));
    EXPECT_EQ(MprisMetadata::toMap(MprisTrack{}).size(), 1);
}
