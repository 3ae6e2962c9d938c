// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "EngineFixture.h"

class Transport : public EngineFixture {
protected:
    void loadThree(uint8_t mode) {
        options.PlayMode = mode;
        tracks = touch({"t0.mp3", "t1.mp3", "t2.mp3"});
        load(tracks);
    }
    std::string fileAt(int position) { return list().FileList[list().PlayOrder[position]]; }
    // Plays from `position` until the library reports the end of the track.
    void endTrackAt(int16_t position) {
        list().PlayPosition = position;
        engine.bytPlayStart();
        fake.state = 0;
        fake.clear();
        engine.PlayStateCheck();
    }
    static bool isPermutation(std::vector<int16_t> o) {
        std::sort(o.begin(), o.end());
        return std::adjacent_find(o.begin(), o.end()) == o.end() && o.front() == 0 && o.back() == int16_t(o.size() - 1);
    }
    std::vector<std::string> tracks;
};

TEST_F(Transport, EndOfTrackFollowsThePlayMode) {
    for (uint8_t mode : {PlayModes::None, PlayModes::RepeatOne, PlayModes::RepeatAll, PlayModes::Random}) {
        SCOPED_TRACE(static_cast<int>(mode));
        loadThree(mode);
        for (int16_t pos = 0; pos < 3; ++pos) {
            SCOPED_TRACE(pos);
            const std::vector<int16_t> before = list().PlayOrder;
            const int checks = view.buttonChecks;
            endTrackAt(pos);
            if (mode == PlayModes::RepeatOne) {
                EXPECT_EQ(fake.calls, (std::vector<std::string>{"stop", "play"}));
                EXPECT_EQ(list().PlayPosition, pos);
            } else if (mode == PlayModes::None && pos == 2) {
                EXPECT_EQ(fake.calls, std::vector<std::string>{"stop"});
                EXPECT_EQ(engine.state().PlayState, 255);
                EXPECT_EQ(view.buttonChecks, checks + 1);
            } else {
                const int16_t next = pos == 2 ? 0 : pos + 1;
                EXPECT_EQ(list().PlayPosition, next);
                EXPECT_EQ(fake.calls, (std::vector<std::string>{"stop", "close", "open " + fileAt(next), "play"}));
                EXPECT_EQ(list().TrackNumber, list().PlayOrder[next] + 1);
                EXPECT_EQ(engine.state().PlayState, 0);
                EXPECT_EQ(view.buttonChecks, checks + 1);  // the new position may change previous and next
                if (mode == PlayModes::Random && pos == 2)
                    EXPECT_NE(list().PlayOrder[0], before[2]);
                else
                    EXPECT_EQ(list().PlayOrder, before);
            }
        }
    }
}

// Restart, then at once the previous track (the 750 ms window itself is in
// the clock rules' table of the main window's tests).
TEST_F(Transport, RewindRestartsThenStepsBackAsTheModeAllows) {
    loadThree(PlayModes::None);
    list().PlayPosition = 1;
    engine.bytPlayStart();
    fake.clear();
    engine.bytPlayRewind();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"seek 0", "play"}));
    engine.bytPlayRewind();
    engine.bytPlayRewind();  // at the first track it stays there
    EXPECT_EQ(list().PlayPosition, 0);
    EXPECT_EQ(fake.opened(), (std::vector<std::string>{tracks[0], tracks[0]}));
    options.PlayMode = PlayModes::RepeatAll;
    engine.bytPlayRewind();  // repeat all steps back from the first track to the last
    EXPECT_EQ(list().PlayPosition, 2);
}

// (Forward while paused staying paused: the media controls' session run.)
TEST_F(Transport, RewindWhileStoppedKeepsTheState) {
    loadThree(PlayModes::RepeatAll);
    fake.clear();
    EXPECT_EQ(engine.bytPlayRewind(), 0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"close", "open " + fileAt(2)}));
    EXPECT_EQ(engine.state().PlayState, 255);
}

TEST_F(Transport, ShuffleNeverRepeatsTheLastTrackFirstAndCopesWithAFullList) {
    options.PlayMode = PlayModes::Random;
    load(touch({"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_NE(list().PlayOrder[0], 2);  // a fresh list never starts with its last entry
    for (double f : {0.0, 0.999999999999, 1.0}) {
        engine.setRandomSource([f] { return f; });
        const int16_t last = list().PlayOrder.back();
        engine.TrackRandomize();
        ASSERT_TRUE(isPermutation(list().PlayOrder));
        EXPECT_NE(list().PlayOrder[0], last);
    }
    engine.setRandomSource({});
    list().PlayOrder.resize(9999);
    list().LastIndex = 9998;
    list().TrackCount = 9999;
    engine.TrackRandomize();
    EXPECT_TRUE(isPermutation(list().PlayOrder));
}

// Entering random order puts the current track first (so every other track
// plays once before any comes again); leaving it goes on in list order from
// the current track's own place.
TEST_F(Transport, ModeChangeKeepsTheCurrentTrackAndGoesOnFromIt) {
    const auto five = touch({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"});
    for (int16_t start : {0, 4}) {
        SCOPED_TRACE(start);
        options.PlayMode = PlayModes::None;
        load(five);
        while (list().PlayPosition < start) engine.bytPlayForward();
        options.PlayMode = PlayModes::Random;
        EXPECT_EQ(engine.bytPlayModeChange(), 0);
        ASSERT_TRUE(isPermutation(list().PlayOrder));
        EXPECT_EQ(list().PlayOrder[0], start);
        EXPECT_EQ(list().PlayPosition, 0);
        EXPECT_EQ(list().TrackNumber, start + 1);
        engine.bytPlayForward();  // on to the second of the random order
        const int16_t current = list().PlayOrder[1];
        options.PlayMode = PlayModes::RepeatAll;
        EXPECT_EQ(engine.bytPlayModeChange(), 0);
        EXPECT_EQ(list().PlayOrder, (std::vector<int16_t>{0, 1, 2, 3, 4}));
        EXPECT_EQ(list().PlayPosition, current);
        EXPECT_EQ(list().TrackNumber, current + 1);
        engine.bytPlayForward();
        EXPECT_EQ(fake.opened().back(), five[static_cast<std::size_t>((current + 1) % 5)]);
    }
}

TEST_F(Transport, FailedOpenStopsThePlayerAndTheButtonsFollow) {
    loadThree(PlayModes::RepeatAll);
    fake.failingOpens.insert(tracks[1]);
    const int checks = view.buttonChecks;
    endTrackAt(0);
    EXPECT_EQ(view.buttonChecks, checks + 1);
    // Repeat one of a track that never opened does not replay nothing forever.
    options.PlayMode = PlayModes::RepeatOne;
    engine.bytPlayListNewOpen(tracks[1]);
    endTrackAt(0);
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_EQ(fake.count("play"), 0);

    engine.bytPlayListNew();  // an empty list: nothing to move to
    fake.clear();
    EXPECT_EQ(engine.bytPlayForward(), 255);
    EXPECT_EQ(engine.bytPlayRewind(), 255);
    endTrackAt(0);
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_TRUE(fake.opened().empty());
}

TEST_F(Transport, RejectedOptionsFailTheInitAndAReleasedLibraryIsLeftAlone) {
    for (auto reject : {&FakeVbmp3::framesResult, &FakeVbmp3::decodeResult}) {
        fake.framesResult = fake.decodeResult = 1;
        fake.*reject = 0;
        EXPECT_EQ(engine.KRM1000_Init(), 255);
    }
    engine.KRM1000_Free();
    fake.clear();
    load(touch({"b.mp3"}));
    engine.bytPlayStart();
    engine.PlayStateCheck();
    engine.LyricsCheck();
    engine.bytPlayForward();
    engine.KRM1000_Free();
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(logLines().back(), "KRM1000 Called  - vbmp3_free");  // and no word of missing functions
}

TEST_F(Transport, ACallTheLibraryLacksIsSkippedAndLoggedOnce) {
    Vbmp3Api table = FakeVbmp3::api();
    table.vbmp3_play = nullptr;
    Krm1000 lacking{table, log, clock, settings, options, view};
    lacking.bytPlayStart();
    lacking.bytPlayStart();
    EXPECT_EQ(lacking.state().PlayState, PlayStates::Playing);
    EXPECT_EQ(fake.count("play"), 0);
    const auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "VBMP3   Missing - vbmp3_play"), 1);
}
