// The file dialog routine: result strings, the current and initial folder,
// the request it builds, the flags on a real QFileDialog.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "ui/QtUserDialogs.h"
#include "ui/ShowFileDialog.h"

namespace {

using namespace std::string_literals;

const std::string OpenFilter = "MPEG Audio & m3u ListFile\0*.mp1;*.mp2;*.mp3;*.rmp;*.m3u\0"s;

// Restores the process's current folder after each test.
class ShowFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(saved_); }

    std::string run(uint8_t save, uint32_t flags, std::string &folder, const std::string &ext = "") {
        return ShowFileDialog(dialogs, save, "ファイルを開く", nullptr, flags, OpenFilter, ext, folder);
    }
    static std::string folderOf(const TempDir &d) { return d.path().substr(0, d.path().size() - 1); }

    ScriptedDialogs dialogs;
    TempDir pick;
    QString saved_;
};

}  // namespace

TEST_F(ShowFileDialogTest, OnePickGivesThePathAndMovesTheCurrentFolderThere) {
    const std::string a = pick.write("a.mp3", "");
    dialogs.fileAnswers.push_back({QString::fromStdString(a)});
    std::string folder = "/";
    EXPECT_EQ(run(0, 0x81A04, folder), a);
    EXPECT_EQ(folder, folderOf(pick));
    EXPECT_EQ(QDir::currentPath().toStdString(), folderOf(pick));
}

TEST_F(ShowFileDialogTest, CancelGivesEmptyAndStillSetsTheFolderToTheCurrentOne) {
    QDir::setCurrent(QString::fromStdString(pick.path()));
    std::string folder = "/somewhere/else";
    EXPECT_EQ(run(0, 0x81A04, folder), "");
    EXPECT_EQ(folder, folderOf(pick));
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].folder.toStdString(), "/somewhere/else");
}

// Several picks: the folder, then each name, each ending in a NUL, then one more.
TEST_F(ShowFileDialogTest, ASelectionOfAnySizeComesBackWhole) {
    QStringList files;
    std::string expected = folderOf(pick);
    expected.push_back('\0');
    for (int i = 0; i < 300; ++i) {
        const std::string name = "track number " + std::to_string(i) + " of a long album.mp3";
        files << QString::fromStdString(pick.path() + name);
        expected += name;
        expected.push_back('\0');
    }
    expected.push_back('\0');
    dialogs.fileAnswers.push_back(files);
    std::string folder;
    const std::string result = run(0, 0x81A04, folder);
    EXPECT_GT(result.size(), 10000u);
    EXPECT_EQ(result, expected);
}

TEST_F(ShowFileDialogTest, NamesFromDifferentFoldersComeBackAsFullPaths) {
    TempDir other;
    const std::string a = pick.write("a.mp3", ""), b = other.write("b.mp3", "");
    dialogs.fileAnswers.push_back({QString::fromStdString(a), QString::fromStdString(b)});
    std::string folder;
    EXPECT_EQ(run(0, 0x81A04, folder), a + '\0' + b + '\0' + '\0');
}

TEST_F(ShowFileDialogTest, TheRequestCarriesTitleFlagsFiltersSuffixAndFolder) {
    QDir::setCurrent(QString::fromStdString(pick.path()));
    std::string folder;  // empty: the current folder
    ShowFileDialog(dialogs, 1, "名前を付けてリストを保存", nullptr, 0x81806,
                   "m3u ListFile\0*.m3u\0All\0*.mp3; *.wav\0"s, "m3u", folder);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    const UserDialogs::FileRequest &r = dialogs.requests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.title.toStdString(), "名前を付けてリストを保存");
    EXPECT_EQ(r.flags, 0x81806u);
    EXPECT_EQ(r.nameFilters, QStringList({"m3u ListFile (*.m3u)", "All (*.mp3 *.wav)"}));
    EXPECT_EQ(r.defaultSuffix.toStdString(), "m3u");
    EXPECT_EQ(r.folder.toStdString(), folderOf(pick));
}

TEST(QtUserDialogsTest, FlagsSetModeOverwritePromptAndSuffix) {
    struct Case {
        bool save;
        uint32_t flags;
        QFileDialog::FileMode mode;
        bool confirmOverwrite;
    } cases[] = {
        {false, 0x81A04, QFileDialog::ExistingFiles, false},  // open button, list editor add
        {false, 0x81804, QFileDialog::ExistingFile, false},   // list editor open
        {false, 0x00000, QFileDialog::AnyFile, false},
        {true, 0x81806, QFileDialog::AnyFile, true},          // list editor save as: new names allowed
        {true, 0x81804, QFileDialog::AnyFile, false},         // colour editor
    };
    for (const Case &c : cases) {
        QFileDialog dialog;
        UserDialogs::FileRequest r;
        r.save = c.save;
        r.flags = c.flags;
        r.defaultSuffix = "m3u";
        r.nameFilters = {"m3u ListFile (*.m3u)"};
        QtUserDialogs::configure(dialog, r);
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(dialog.acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog.fileMode(), c.mode);
        EXPECT_EQ(!dialog.testOption(QFileDialog::DontConfirmOverwrite), c.confirmOverwrite);
        EXPECT_EQ(dialog.defaultSuffix().toStdString(), "m3u");
        EXPECT_EQ(dialog.nameFilters(), QStringList({"m3u ListFile (*.m3u)"}));
    }
}

TEST_F(ShowFileDialogTest, ARealSaveDialogAddsTheDefaultExtensionToATypedName) {
    QtUserDialogs real;
    std::string folder = folderOf(pick);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText("mylist");
        static_cast<QDialog *>(dialog)->accept();
    });
    const std::string result = ShowFileDialog(real, 1, "名前を付けてリストを保存", nullptr, 0x81806,
                                              "m3u ListFile\0*.m3u\0"s, "m3u", folder);
    EXPECT_EQ(result, pick.path() + "mylist.m3u");
    EXPECT_EQ(folder, folderOf(pick));
}
