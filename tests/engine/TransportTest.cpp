#include <algorithm>
#include <numeric>
#include <tuple>

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
    static bool isPermutation(std::vector<int16_t> order) {
        std::sort(order.begin(), order.end());
        for (std::size_t i = 0; i < order.size(); ++i)
            if (order[i] != static_cast<int16_t>(i)) return false;
        return true;
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
                if (mode == PlayModes::Random && pos == 2) EXPECT_NE(list().PlayOrder[0], before[2]);
                else EXPECT_EQ(list().PlayOrder, before);
            }
        }
    }
}

TEST_F(Transport, PollSamplesTheReadoutsWithoutActingWhileTheTrackPlays) {
    loadThree(PlayModes::None);
    engine.bytPlayStart();
    fake.elapsed = 42;
    fake.bitRate = 192;
    fake.clear();
    engine.PlayStateCheck();
    EXPECT_EQ(engine.state().ElapsedSeconds, 42);
    EXPECT_EQ(engine.state().BitRate, 192);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Transport, RewindRestartsOrStepsBackBy750msRule) {
    loadThree(PlayModes::None);
    list().PlayPosition = 1;
    engine.bytPlayStart();
    fake.clear();
    clock.now = 10000;
    engine.bytPlayRewind();  // restart
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"seek 0", "play"}));
    clock.now = 10500;
    engine.bytPlayRewind();  // within 750 ms: the first track
    EXPECT_EQ(list().PlayPosition, 0);
    EXPECT_EQ(fake.opened(), std::vector<std::string>{tracks[0]});
    clock.now = 10750;
    fake.clear();
    engine.bytPlayRewind();  // still within the window of the first press; at the first track it stays
    EXPECT_EQ(list().PlayPosition, 0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"stop", "close", "open " + tracks[0], "play"}));
    clock.now = 10751;
    fake.clear();
    engine.bytPlayRewind();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"seek 0", "play"}));
    clock.now += 800;
    fake.clear();
    engine.bytPlayRewind();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"seek 0", "play"}));

    // Repeat all steps back from the first track to the last.
    options.PlayMode = PlayModes::RepeatAll;
    clock.now += 100;
    engine.bytPlayRewind();
    EXPECT_EQ(list().PlayPosition, 2);
}

TEST_F(Transport, RewindWhilePausedPlaysAndSaysSo) {
    loadThree(PlayModes::None);
    engine.bytPlayStart();
    engine.bytPlayPause();
    EXPECT_EQ(engine.state().PlayState, 127);
    engine.bytPlayRewind();
    EXPECT_EQ(engine.state().PlayState, 0);
    engine.bytPlayPause();
    clock.now += 100;
    engine.bytPlayRewind();  // steps back and plays
    EXPECT_EQ(engine.state().PlayState, 0);
    EXPECT_EQ(fake.calls.back(), "play");
}

TEST_F(Transport, RewindWhileStoppedAndForwardKeepTheState) {
    for (uint8_t mode : {PlayModes::None, PlayModes::RepeatOne, PlayModes::RepeatAll, PlayModes::Random}) {
        loadThree(mode);
        fake.clear();
        EXPECT_EQ(engine.bytPlayRewind(), 0);
        EXPECT_EQ(list().PlayPosition, 2);
        EXPECT_EQ(fake.calls, (std::vector<std::string>{"close", "open " + fileAt(2)}));
        EXPECT_EQ(engine.state().PlayState, 255);
    }
    loadThree(PlayModes::None);
    engine.bytPlayStart();
    engine.bytPlayPause();
    fake.clear();
    EXPECT_EQ(engine.bytPlayForward(), 0);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"open " + tracks[1]});
    EXPECT_EQ(engine.state().PlayState, 127);
    engine.bytPlayForward();
    engine.bytPlayForward();  // the wrap the buttons normally prevent in this mode
    EXPECT_EQ(list().PlayPosition, 0);
    EXPECT_EQ(list().TrackNumber, 1);
}

TEST_F(Transport, RandomRepeatShufflesIntoPermutations) {
    options.PlayMode = PlayModes::Random;
    engine.KRM1000_Init();
    load(touch({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}));
    EXPECT_TRUE(isPermutation(list().PlayOrder));
    EXPECT_NE(list().PlayOrder[0], 4);  // a fresh list never starts with its last entry
    std::set<int16_t> firsts;
    for (int round = 0; round < 200; ++round) {
        const int16_t last = list().PlayOrder.back();
        engine.TrackRandomize();
        ASSERT_TRUE(isPermutation(list().PlayOrder));
        ASSERT_NE(list().PlayOrder[0], last);
        firsts.insert(list().PlayOrder[0]);
    }
    EXPECT_EQ(firsts.size(), 5u);

    // Extreme fractions from a replaced source stay in range.
    for (double f : {0.0, 0.999999999999, 1.0}) {
        engine.setRandomSource([f] { return f; });
        engine.TrackRandomize();
        EXPECT_TRUE(isPermutation(list().PlayOrder));
    }
    engine.setRandomSource({});
    list().PlayOrder.assign(list().PlayOrder.size(), 0);
    list().PlayOrder.resize(9999);  // a full list
    list().LastIndex = 9998;
    list().TrackCount = 9999;
    engine.TrackRandomize();
    EXPECT_TRUE(isPermutation(list().PlayOrder));
}

TEST_F(Transport, ModeChangeShufflesOrRestoresListOrder) {
    loadThree(PlayModes::None);
    engine.bytPlayForward();
    options.PlayMode = PlayModes::Random;
    engine.setRandomSource([] { return 0.0; });  // first = the lowest allowed, rest reversed
    EXPECT_EQ(engine.bytPlayModeChange(), 0);
    EXPECT_NE(list().PlayOrder, (std::vector<int16_t>{0, 1, 2}));
    EXPECT_EQ(list().PlayPosition, 1);
    EXPECT_EQ(list().TrackNumber, 2);
    options.PlayMode = PlayModes::RepeatAll;
    EXPECT_EQ(engine.bytPlayModeChange(), 0);
    EXPECT_EQ(list().PlayOrder, (std::vector<int16_t>{0, 1, 2}));
    EXPECT_EQ(list().TrackNumber, 2);
}

TEST_F(Transport, FailedOpenStopsThePlayerAndTheButtonsFollow) {
    loadThree(PlayModes::RepeatAll);
    fake.failingOpens.insert(tracks[1]);
    const int checks = view.buttonChecks;
    endTrackAt(0);
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_EQ(fake.calls.back(), "stop");
    EXPECT_EQ(view.buttonChecks, checks + 1);

    // Repeat one of a track that never opened does not replay nothing forever.
    options.PlayMode = PlayModes::RepeatOne;
    engine.bytPlayListNewOpen(tracks[1]);
    endTrackAt(0);
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_EQ(fake.count("play"), 0);

    // An empty list: nothing to move to.
    engine.bytPlayListNewOpen("");
    fake.clear();
    EXPECT_EQ(engine.bytPlayForward(), 255);
    EXPECT_EQ(engine.bytPlayRewind(), 255);
    EXPECT_EQ(engine.bytPlayModeChange(), 0);
    EXPECT_EQ(list().TrackNumber, 0);
    endTrackAt(0);
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_TRUE(fake.opened().empty());
}

TEST_F(Transport, InitSendsTheOptionsAndReportsRejections) {
    options.InputSample = 1;
    options.OutputChannel = 1;
    options.OutputSample = 44100;
    EXPECT_EQ(engine.KRM1000_Init(), 0);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"init", "setVbmp3Option", "setDecodeOption", "setKaraokeUse 1"}));
    const auto &f = fake.frames;
    const auto &d = fake.decode;
    EXPECT_EQ(std::tie(f.InputFrame, f.OutputFrame, f.InputWait, f.OutputWait), std::make_tuple(30, 20, 5, 0));
    EXPECT_EQ(std::tie(d.InputSample, d.OutputChannel, d.OutputSample), std::make_tuple(1, 1, 44100));
    EXPECT_EQ(engine.state().PlayState, 255);
    EXPECT_EQ(list().LastIndex, -1);
    const auto lines = logLines();
    EXPECT_EQ(lines, (std::vector<std::string>{"KRM1000 Called  - KRM1000_Init", "KRM1000 Called  - vbmp3_init",
                                               "KRM1000 Called  - bytPlayListNew"}));

    for (auto reject : {&FakeVbmp3::framesResult, &FakeVbmp3::decodeResult}) {
        fake.framesResult = fake.decodeResult = 1;
        fake.*reject = 0;
        fake.clear();
        EXPECT_EQ(engine.KRM1000_Init(), 255);
        EXPECT_EQ(fake.count("setVbmp3Option"), 1);
        EXPECT_EQ(fake.count("setDecodeOption"), 1);
    }

    load(touch({"a.mp3"}));
    fake.clear();
    engine.KRM1000_Free();
    EXPECT_EQ(fake.calls, std::vector<std::string>{"free"});
    EXPECT_EQ(list().TrackCount, 0);
    EXPECT_EQ(logLines().back(), "KRM1000 Called  - vbmp3_free");
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
