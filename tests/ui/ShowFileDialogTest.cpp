// SPDX-License-Identifier: GPL-3.0-or-later
// The file dialog routine: result strings, folders, filters, flags.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "ui/QtUserDialogs.h"
#include "ui/ShowFileDialog.h"

namespace {

using namespace std::string_literals;

std::string folderOf(const TempDir &d) { return d.path().substr(0, d.path().size() - 1); }

struct ShowFileDialogTest : ::testing::Test {
    ~ShowFileDialogTest() override { QDir::setCurrent(saved); }
    std::string run(std::string &folder) {
        return ShowFileDialog(dialogs, 0, "t", nullptr, 0x81A04, "Audio\0*.mp3\0"s, "", folder);
    }
    QString saved = QDir::currentPath();
    ScriptedDialogs dialogs;
    TempDir pick;
};

}  // namespace

// A pick moves the current folder to the file's; a cancel keeps it.
TEST_F(ShowFileDialogTest, APickMovesTheFolderToTheFilesACancelKeepsTheCurrentOne) {
    const QString a = QString::fromStdString(pick.write("a.mp3", ""));
    for (const QStringList &answer : {QStringList{a}, QStringList{}}) {
        QDir::setCurrent(QString::fromStdString(pick.path()));
        dialogs.fileAnswers.push_back(answer);
        std::string folder = "/somewhere/else";
        EXPECT_EQ(run(folder), answer.isEmpty() ? "" : a.toStdString());
        EXPECT_EQ(folder, folderOf(pick));
        EXPECT_EQ(QDir::currentPath().toStdString(), folderOf(pick));
    }
    EXPECT_EQ(dialogs.requests[0].folder.toStdString(), "/somewhere/else");
}

// Several picks: the folder, then each name, each ending in a NUL, then one more;
// picks from different folders come back as full paths.
TEST_F(ShowFileDialogTest, ASelectionOfAnySizeComesBackWhole) {
    QStringList files;
    std::string expected = folderOf(pick) + '\0';
    for (int i = 0; i < 300; ++i) {
        const std::string name = "track number " + std::to_string(i) + " of a long album.mp3";
        files << QString::fromStdString(pick.write(name, ""));
        expected += name + '\0';
    }
    TempDir other;
    const std::string a = pick.write("a.mp3", ""), b = other.write("b.mp3", "");
    dialogs.fileAnswers = {files, {QString::fromStdString(a), QString::fromStdString(b)}};
    std::string folder;
    EXPECT_EQ(run(folder), expected + '\0');
    EXPECT_EQ(run(folder), a + '\0' + b + '\0' + '\0');
}

TEST_F(ShowFileDialogTest, FiltersBecomeNameFiltersAndNoFolderMeansTheCurrentOne) {
    QDir::setCurrent(QString::fromStdString(pick.path()));
    std::string folder;
    ShowFileDialog(dialogs, 1, "t", nullptr, 0x81806, "m3u ListFile\0*.m3u\0All\0*.mp3; *.wav\0"s, "m3u", folder);
    EXPECT_EQ(dialogs.requests[0].nameFilters, QStringList({"m3u ListFile (*.m3u)", "All (*.mp3 *.wav)"}));
    EXPECT_EQ(dialogs.requests[0].folder.toStdString(), folderOf(pick));
}

// Open many, open one, save with and without the overwrite prompt.
TEST(QtUserDialogsTest, FlagsSetModeAndOverwritePrompt) {
    const std::tuple<bool, uint32_t, QFileDialog::FileMode, bool> cases[] = {
        {false, 0x81A04, QFileDialog::ExistingFiles, false},
        {false, 0x81804, QFileDialog::ExistingFile, false},
        {true, 0x81806, QFileDialog::AnyFile, true},
        {true, 0x81804, QFileDialog::AnyFile, false},
    };
    for (const auto &[save, flags, mode, confirmOverwrite] : cases) {
        QFileDialog dialog;
        UserDialogs::FileRequest r;
        r.save = save;
        r.flags = flags;
        QtUserDialogs::configure(dialog, r);
        EXPECT_EQ(dialog.acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen) << flags;
        EXPECT_EQ(dialog.fileMode(), mode) << flags;
        EXPECT_EQ(!dialog.testOption(QFileDialog::DontConfirmOverwrite), confirmOverwrite) << flags;
    }
}

TEST_F(ShowFileDialogTest, ARealDialogAddsTheDefaultExtensionAndHandsBackTheFolderItShowed) {
    QtUserDialogs real;
    TempDir browsed;
    for (const bool accept : {true, false}) {
        std::string folder = folderOf(pick);
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(QString::fromStdString(browsed.path()));
            dialog->findChild<QLineEdit *>("fileNameEdit")->setText("mylist");
            if (accept)
                static_cast<QDialog *>(dialog)->accept();
            else
                dialog->reject();
        });
        const std::string result = ShowFileDialog(real, 1, "名前を付けてリストを保存", nullptr, 0x81806,
                                                  "m3u ListFile\0*.m3u\0"s, "m3u", folder);
        EXPECT_EQ(result, accept ? browsed.path() + "mylist.m3u" : "");
        EXPECT_EQ(folder, folderOf(browsed));
    }
}
