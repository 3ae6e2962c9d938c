// Buttons, keys, volume and drops on a started window.
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>

#include "mainwindow/ButtonEnableRule.h"
#include "mainwindow/MainFormHarness.h"

namespace {

// A started window with three tracks loaded, stopped at track 1.
struct Loaded : MainFormHarness {
    std::string a, b, c;
    Loaded(const std::string &settings = "DebugMode=127\r\n") {
        ini(settings);
        a = audio("a.mp3");
        b = audio("b.mp3");
        c = audio("c.mp3");
        fake.titles[a] = {"Song A", "Artist"};
        start({a, b, c});
    }
    int plays() const { return fake.count("play"); }
};

QList<QUrl> urls(std::initializer_list<std::string> paths) {
    QList<QUrl> list;
    for (const std::string &p : paths) list << QUrl::fromLocalFile(QString::fromStdString(p));
    return list;
}

}  // namespace

TEST(ButtonEnableRuleTest, TheTableInEveryModeAndPosition) {
    using S = ButtonEnableRule::States;
    auto str = [](const S &s) {
        std::string r;
        for (bool b : s) r += b ? '1' : '0';
        return r;
    };
    const S created{true, false, false, false, false, false};
    struct Case {
        int16_t count, number;
        uint8_t state, mode;
        const char *expected;
    } cases[] = {
        {0, 0, 255, 255, "100000"},  // empty list: nothing changes
        {3, 1, 255, 255, "100110"},  // stopped at the first of three
        {3, 2, 255, 255, "101110"},
        {3, 3, 255, 255, "101010"},  // last: no next
        {3, 1, 0, 255, "011101"},    // playing the first: previous restarts it
        {3, 3, 0, 255, "011001"},
        {3, 3, 127, 0, "011001"},    // paused, repeat one behaves like none
        {1, 1, 255, 255, "100010"},
        {1, 1, 255, 1, "101110"},    // repeat all: previous and next even for one track
        {1, 1, 0, 2, "011101"},      // random repeat
        {3, 3, 255, 2, "101110"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(str(ButtonEnableRule::apply(created, c.count, c.number, c.state, c.mode)), c.expected);
    }
    // Stopped at track 1 in mode none leaves previous off; playing it left it on.
    const S playing{false, true, true, true, false, true};
    EXPECT_EQ(str(ButtonEnableRule::apply(playing, 3, 1, 255, 255)), "100110");
}

TEST(ControlsTest, TheOpenButtonAsksForFilesAndLoadsThem) {
    Loaded h;
    TempDir other;
    const std::string x = other.write("x.mp3", ""), y = other.write("y.mp3", "");
    h.dialogs.fileAnswers.push_back({QString::fromStdString(x), QString::fromStdString(y)});
    h.settings().LastPath = h.dir.path();
    ui(*h.form).command(1)->click();

    ASSERT_EQ(h.dialogs.requests.size(), 1u);
    const UserDialogs::FileRequest &r = h.dialogs.requests[0];
    EXPECT_EQ(r.title.toStdString(), "ファイルを開く");
    EXPECT_EQ(r.flags, 0x81A04u);
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.nameFilters, QStringList({"MPEG Audio & m3u ListFile (*.mp1 *.mp2 *.mp3 *.rmp *.wav *.m3u)",
                                          "FLAC, Ogg Vorbis & Opus (*.flac *.ogg *.oga *.opus)",
                                          "All Audio & m3u ListFile (*.mp1 *.mp2 *.mp3 *.rmp *.wav *.flac *.ogg *.oga "
                                          "*.opus *.m3u)"}));
    EXPECT_EQ(r.folder.toStdString(), h.dir.path());
    EXPECT_EQ(h.settings().LastPath + "/", other.path());  // follows the user's folder
    EXPECT_EQ(h.state().PlayList.TrackCount, 2);
    EXPECT_EQ(h.state().PlayList.FileList[1], y);
    EXPECT_EQ(h.buttons(), "100110");

    h.dialogs.shownFolders.push_back(QString::fromStdString(h.dir.path()));
    h.form->Command1_Click();  // no answer left: Cancel, after browsing back
    EXPECT_TRUE(h.logged("MainFrm Cancel  - Command1"));
    EXPECT_EQ(h.settings().LastPath + "/", h.dir.path());
    EXPECT_EQ(h.state().PlayList.TrackCount, 2);

    h.dialogs.fileAnswers.push_back({QString::fromStdString(other.write("notes.txt", ""))});
    h.form->Command1_Click();
    EXPECT_TRUE(h.logged("MainFrm Failed  - Command1"));
    EXPECT_EQ(h.state().PlayList.TrackCount, 2);  // a load that yields nothing changes nothing
}

TEST(ControlsTest, TransportButtonsCallTheEngineAndRecheckTheButtons) {
    Loaded h;
    ui(*h.form).command(5)->click();
    EXPECT_EQ(h.plays(), 1);
    EXPECT_EQ(h.buttons(), "011101");
    ui(*h.form).command(4)->click();  // next while playing
    EXPECT_EQ(h.state().PlayList.TrackNumber, 2);
    ui(*h.form).command(6)->click();
    EXPECT_EQ(h.fake.count("pause"), 1);
    EXPECT_EQ(h.state().PlayState, 127);
    ui(*h.form).command(2)->click();
    EXPECT_EQ(h.state().PlayState, 255);
    EXPECT_EQ(h.buttons(), "101110");
    ui(*h.form).command(3)->click();  // previous while stopped
    EXPECT_EQ(h.state().PlayList.TrackNumber, 1);
    EXPECT_EQ(h.buttons(), "100110");
    for (const char *line : {"MainFrm Called  - Command2", "MainFrm Called  - Command3", "MainFrm Called  - Command4",
                             "MainFrm Called  - Command5", "MainFrm Called  - Command6"})
        EXPECT_TRUE(h.logged(line)) << line;
}

TEST(ControlsTest, KeysGoThroughTheButtonsEnabledStates) {
    Loaded h;
    h.key(Qt::Key_P, Qt::AltModifier);  // Alt+P does nothing
    EXPECT_EQ(h.plays(), 0);
    h.key(Qt::Key_P, Qt::ControlModifier);  // Ctrl+P acts like P
    EXPECT_EQ(h.plays(), 1);
    h.key(Qt::Key_P);  // play is disabled while playing
    h.key(Qt::Key_F12);
    EXPECT_EQ(h.plays(), 1);
    h.key(Qt::Key_F);
    EXPECT_EQ(h.state().PlayList.TrackNumber, 2);
    h.key(Qt::Key_F8);
    EXPECT_EQ(h.state().PlayList.TrackNumber, 3);
    h.key(Qt::Key_F);  // next is off at the last track in mode none
    EXPECT_EQ(h.state().PlayList.TrackNumber, 3);
    h.key(Qt::Key_I);
    EXPECT_EQ(h.state().PlayState, 127);
    h.key(Qt::Key_F10);
    EXPECT_EQ(h.state().PlayState, 0);
    h.key(Qt::Key_R);
    EXPECT_EQ(h.fake.count("seek 0"), 1);
    h.key(Qt::Key_S);
    EXPECT_EQ(h.state().PlayState, 255);
    h.key(Qt::Key_F5);  // previous while stopped
    EXPECT_EQ(h.state().PlayList.TrackNumber, 2);
    h.key(Qt::Key_F12);
    EXPECT_EQ(h.plays(), 5);  // Ctrl+P, two nexts while playing, rewind, F12
    h.key(Qt::Key_F9);
    EXPECT_EQ(h.state().PlayState, 255);
    h.key(Qt::Key_X);
    EXPECT_EQ(h.logCount("MainFrm Called  - Text1_KeyDown"), 15);
    EXPECT_TRUE(ui(*h.form).text1()->text().isEmpty());  // the box never takes a key itself

    h.dialogs.fileAnswers.clear();
    h.key(Qt::Key_O);
    h.key(Qt::Key_F1);
    EXPECT_EQ(h.dialogs.requests.size(), 2u);
}

TEST(ControlsTest, QAndAltF4CloseTheWindowTheNormalWay) {
    for (int alt = 0; alt < 2; ++alt) {
        Loaded h;
        if (alt)
            h.key(Qt::Key_F4, Qt::AltModifier);
        else
            h.key(Qt::Key_Q);
        EXPECT_FALSE(h.form->isVisible());
        EXPECT_TRUE(h.logged("Corvale Unload  - Mainform"));
        EXPECT_EQ(h.fake.count("free"), 1);
    }
    Loaded h;
    h.key(Qt::Key_F4);  // F4 alone does nothing
    EXPECT_TRUE(h.form->isVisible());
}

TEST(ControlsTest, TheVolumeToggleSetsEngineAndCaption) {
    MainFormHarness h;
    h.start();
    MainForm &f = *h.form;
    f.Form_DblClick();  // before any track
    EXPECT_EQ(f.windowTitle().toStdString(), "Corvale(Volume 1/2)");
    EXPECT_EQ(h.fake.count("setSoftVolume 50 50"), 1);
    EXPECT_EQ(h.settings().HalfVolume, 0);
    h.key(Qt::Key_H);
    EXPECT_EQ(f.windowTitle().toStdString(), "Corvale");
    EXPECT_EQ(h.fake.count("setSoftVolume 100 100"), 1);
    EXPECT_EQ(h.fake.count("reload"), 2);

    const std::string a = h.audio("a.mp3");
    h.fake.titles[a] = {"Song A", ""};
    ASSERT_EQ(f.engine()->bytPlayListNewOpen(a), 0);
    h.key(Qt::Key_F11);
    EXPECT_EQ(f.windowTitle().toStdString(), "Song A - Corvale(Volume 1/2)");
    // A double click on the title line reaches the window.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), ui(f).label1()->mapToGlobal(QPointF(5, 5)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ui(f).label1(), &dbl);
    EXPECT_EQ(f.windowTitle().toStdString(), "Song A - Corvale");
}

TEST(ControlsTest, DroppedFilesKeepTheirOrderAndTheirFoldersFoldersArePassedOver) {
    Loaded h;
    TempDir other;
    const std::string x = other.write("x.mp3", "");
    other.write("inner/keep.txt", "");
    h.form->Form_OLEDragDrop(urls({h.c, x, other.path() + "inner", h.a}));
    const PlayListData &pl = h.state().PlayList;
    ASSERT_EQ(pl.TrackCount, 3);
    EXPECT_EQ(pl.FileList[0], h.c);
    EXPECT_EQ(pl.FileList[1], x);
    EXPECT_EQ(pl.FileList[2], h.a);
    EXPECT_EQ(h.buttons(), "100110");
    EXPECT_TRUE(h.logged("MainFrm Called  - Form_OLEDragDrop"));

    // Only folders, a first item that is no local file, or any drop while playing: the list stays.
    h.form->Form_OLEDragDrop(urls({other.path() + "inner"}));
    h.form->Form_OLEDragDrop({QUrl("https://example.org/a.mp3"), QUrl::fromLocalFile(QString::fromStdString(h.b))});
    h.form->Command5_Click();
    h.form->Form_OLEDragDrop(urls({h.b}));
    EXPECT_EQ(pl.TrackCount, 3);
    EXPECT_EQ(pl.FileList[0], h.c);
}

TEST(ControlsTest, ADropOnTheLyricsLineReachesTheWindow) {
    Loaded h;
    QWindow *window = h.form->windowHandle();
    ASSERT_NE(window, nullptr);
    QMimeData data;
    data.setUrls(urls({h.b}));
    const QPoint overLyrics = ui(*h.form).label2()->geometry().center();
    // As the window system delivers them: to the window, which finds the widget.
    QDragEnterEvent enter(overLyrics, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(overLyrics), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    EXPECT_EQ(h.state().PlayList.TrackCount, 1);
    EXPECT_EQ(h.state().PlayList.FileList[0], h.b);
}

TEST(ControlsTest, OnlyTheRightButtonPopsTheMenuUp) {
    Loaded h;
    QMenu *menu = ui(*h.form).menu().mnuMainForm;
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton}) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), ui(*h.form).label2()->mapToGlobal(QPointF(5, 5)), b,
                          b, Qt::NoModifier);
        QApplication::sendEvent(ui(*h.form).label2(), &press);
        EXPECT_EQ(menu->isVisible(), b == Qt::RightButton) << b;
    }
    menu->hide();
}
