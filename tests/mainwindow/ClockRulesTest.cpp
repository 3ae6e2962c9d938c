// SPDX-License-Identifier: GPL-3.0-or-later
// Every rule that waits on the wrapping millisecond clock, its owner made just
// before the clock's sign change and its wrap, acts when its time has come,
// counted from when its owner started, never from 0.
#include <functional>

#include <QLabel>

#include "mainwindow/MainFormHarness.h"

namespace {

int LoudSpectrum(int32_t *left, int32_t *right) {
    for (int i = 0; i < 256; ++i) left[i] = right[i] = 480;
    return 1;
}

struct Rule {
    const char *name;
    int32_t period;                               // ms the rule waits after its last action
    bool actsAtOnce;                              // its first chance acts ("never" is a flag of its own)
    std::function<bool(MainFormHarness &)> step;  // one chance to act: whether it acted
};

const Rule Rules[] = {
    {"slow readout update", 150, false,
     [](MainFormHarness &h) {
         const Krw1000::ReadoutColorGrid before = h.form->display()->ReadoutDots();
         ++h.fake.elapsed;
         h.form->Timer1_Timer();
         return h.form->display()->ReadoutDots() != before;
     }},
    {"repaint throttle", MainFormTestAccess::PresentInterval, false,
     [](MainFormHarness &h) {
         h.form->Form_Paint();
         h.form->Timer1_Timer();
         return !ui(*h.form).repaintPending();
     }},
    {"debug window figures", 150, true,
     [](MainFormHarness &h) {
         QLabel *elapsed = ui(*h.form).debugWindow()->Label5[1];
         const QString before = elapsed->text();
         ++h.engine().state().ElapsedSeconds;
         ui(*h.form).debugWindow()->Timer1_Timer();
         return elapsed->text() != before;
     }},
    {"rewind restarts, else steps back", Krm1000::RewindStepBackMs + 1, true,
     [](MainFormHarness &h) {
         const int16_t position = h.state().PlayList.PlayPosition;
         h.form->Command3_Click();
         return h.state().PlayList.PlayPosition == position;
     }},
    {"held peak", 1000, true,
     [](MainFormHarness &h) {
         const int32_t before = h.form->display()->PeakTime()[0];
         h.form->Timer1_Timer();
         return h.form->display()->PeakTime()[0] != before;
     }},
};

}  // namespace

TEST(ClockRulesTest, EachRuleActsOnTimeAcrossTheSignChangeAndTheWrap) {
    for (const uint32_t boundary : {0x7FFFFFFFu, 0xFFFFFFFFu}) {
        for (const Rule &rule : Rules) {
            SCOPED_TRACE(std::string(rule.name) + (boundary == 0x7FFFFFFFu ? ", sign change" : ", wrap"));
            MainFormHarness h;
            h.ini("DebugMode=127\r\nPeakHold=0\r\n");
            h.api.vbmp3_getSpectrum = &LoudSpectrum;
            h.fake.bitRate = 0;  // as drawn at the start: only the rule's own work changes the readout
            h.clock.now = static_cast<int32_t>(boundary - static_cast<uint32_t>(rule.period));
            h.start({h.audio("a.mp3"), h.audio("b.mp3"), h.audio("c.mp3")});
            ASSERT_TRUE(h.loaded);
            h.form->mnuPlayModeSet_Click(2);  // repeat all: rewinding never runs out of tracks
            h.form->Command5_Click();
            h.fake.state = 1;  // the track goes on playing

            // A chance every (period - 1) / 2 ms: two chances fall just short of a period.
            const auto stride = static_cast<uint32_t>((rule.period - 1) / 2);
            std::string acted, expected;
            int64_t t = 0, last = 0;
            bool never = true;
            for (int i = 0; i < 10; ++i) {
                t += stride;
                h.clock.now = static_cast<int32_t>(static_cast<uint32_t>(h.clock.now) + stride);
                const bool due = (rule.actsAtOnce && never) || t - last >= rule.period;
                if (due) {
                    last = t;
                    never = false;
                }
                expected += due ? '1' : '0';
                acted += rule.step(h) ? '1' : '0';
            }
            EXPECT_EQ(acted, expected);
        }
    }
}
