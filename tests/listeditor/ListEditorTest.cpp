// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QListWidget>
#include <QPushButton>

#include "common/PathList.h"
#include "common/TextCodec.h"
#include "listeditor/ListEditor.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

namespace {

class ScriptedQuestion : public SaveQuestion {
public:
    std::deque<Answer> answers;
    int asked = 0;
    Answer ask(QWidget *) override {
        ++asked;
        const Answer a = answers.empty() ? Answer::Cancel : answers.front();
        if (!answers.empty()) answers.pop_front();
        return a;
    }
};

using Entries = std::vector<std::string>;

class ListEditorTest : public ::testing::Test {
protected:
    ListEditor &editor() {
        if (!editor_) {
            editor_ = std::make_unique<ListEditor>(nullptr, dialogs, 255, &question);
            editor_->show();
        }
        return *editor_;
    }
    static QString q(const std::string &s) { return QString::fromStdString(s); }
    static QList<QUrl> urls(std::initializer_list<std::string> paths) {
        QList<QUrl> list;
        for (const std::string &p : paths) list << QUrl::fromLocalFile(q(p));
        return list;
    }
    void fillFive() {
        editor().bytListAddFiles(PathList::join({dir.path(), "1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}));
    }
    void select(std::initializer_list<int> rows, int current) {
        QListWidget *list = editor().List1;
        list->clearSelection();
        list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
        for (int r : rows) list->item(r)->setSelected(true);
    }
    Entries names() const {
        Entries out;
        for (const auto &e : editor_->entries()) out.push_back(e.substr(e.rfind('/') + 1));
        return out;
    }

    TempDir dir;
    ScriptedDialogs dialogs;
    ScriptedQuestion question;
    std::unique_ptr<ListEditor> editor_;
};

TEST_F(ListEditorTest, AddDialogAndDropAddFullPathsInOrderDropOnlyAcceptedTypes) {
    for (const char *n : {"c.mp3", "a.mp3", "b.MP2", "t.txt", "sub/d.mp3", "e.WAV", "f.opus"}) dir.write(n, "x");
    dialogs.fileAnswers.push_back({q(dir.file("c.mp3")), q(dir.file("a.mp3"))});
    ListEditor &e = editor();
    e.List1_OLEDragDrop(urls({dir.file("t.txt")}));
    e.Command1_Click();
    e.List1_OLEDragDrop(
        urls({dir.file("b.MP2"), dir.file("t.txt"), dir.file("sub/d.mp3"), dir.file("e.WAV"), dir.file("f.opus")}));
    EXPECT_EQ(e.entries(), (Entries{dir.file("c.mp3"), dir.file("a.mp3"), dir.file("b.MP2"), dir.file("sub/d.mp3"),
                                    dir.file("e.WAV"), dir.file("f.opus")}));
}

TEST_F(ListEditorTest, AddingStopsAt999Entries) {
    std::vector<std::string> many = {dir.path()};  // a folder and names, as the add dialog gives them
    for (int i = 0; i < 998; ++i) many.push_back(std::to_string(i) + ".mp3");
    ListEditor &e = editor();
    ASSERT_EQ(e.bytListAddFiles(PathList::join(many)), 0);
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += dir.write("t" + std::to_string(i) + ".mp3", "x") + "\r\n";
    EXPECT_EQ(e.bytListAddFiles(dir.write("ten.m3u", ten)), 0);
    EXPECT_EQ(e.List1->count(), 999);
    EXPECT_EQ(e.entries().back(), dir.file("t0.mp3"));
    EXPECT_FALSE(e.Command1->isEnabled());
}

// A longer list opens in part, with a word; Save would drop the rest, so it
// goes through Save As, whose dialog asks before replacing a file.
TEST_F(ListEditorTest, OpenLoadsAtMost999LinesSaysSoAndNeverSavesOverTheRest) {
    std::string text;
    for (int i = 0; i < 1200; ++i) text += "line" + std::to_string(i) + "\r\n";
    const std::string big = dir.write("big.m3u", text);
    dialogs.fileAnswers.push_back({q(big)});
    ListEditor &e = editor();
    e.mnuListOpen_Click();

    EXPECT_EQ(e.List1->count(), 999);
    EXPECT_EQ(e.entries().back(), "line998");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].second.contains(QStringLiteral("1200")))
        << dialogs.messages[0].second.toStdString();

    e.mnuListSave_Click();  // asks for a name; cancelled, the file stays whole
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(TempDir::read(big), text);

    dialogs.fileAnswers.push_back({q(big)});  // the user agreed to replace it
    e.mnuListSaveAs_Click();
    EXPECT_EQ(TempDir::read(big), text.substr(0, text.find("line999\r\n")));
}

TEST_F(ListEditorTest, CommentAndEmptyLinesSurviveOpenAndSaveByteForByte) {
    // Lines in Latin-1 and CP932 among UTF-8 ones are each shown as their own
    // text and written back as they were.
    const std::string text = "#EXTM3U\r\n#EXTINF:123,歌\r\nsong.mp3\r\n\r\nsub\\other.mp3\r\ncaf\xE9.mp3\r\n" +
                             TextCodec::utf8ToCp932("曲.mp3") + "\r\n";
    const std::string path = dir.write("list.m3u", text);
    dialogs.fileAnswers.push_back({q(path)});
    ListEditor &e = editor();
    e.mnuListOpen_Click();
    EXPECT_EQ(e.List1->item(6)->text(), QStringLiteral("曲.mp3"));
    dir.write("list.m3u", "overwritten");
    e.mnuListSave_Click();
    EXPECT_EQ(TempDir::read(path), text);
}

TEST_F(ListEditorTest, DeleteRemovesEverySelectedEntryAndAnEmptiedListCloseWithoutAsking) {
    fillFive();
    ListEditor &e = editor();
    select({1, 3}, 3);
    e.Command2_Click();
    EXPECT_EQ(names(), (Entries{"1.mp3", "3.mp3", "5.mp3"}));
    select({0, 1, 2}, 0);
    e.Command2_Click();
    e.close();
    EXPECT_EQ(question.asked, 0);
    EXPECT_FALSE(e.isVisible());
}

TEST_F(ListEditorTest, UpAndDownMoveTheSelectedBlockUpToTheEdge) {
    fillFive();
    ListEditor &e = editor();
    select({1, 2}, 2);
    e.Command3_Click();
    EXPECT_EQ(names(), (Entries{"2.mp3", "3.mp3", "1.mp3", "4.mp3", "5.mp3"}));
    EXPECT_TRUE(e.List1->item(1)->isSelected());
    EXPECT_FALSE(e.List1->item(2)->isSelected());
    EXPECT_EQ(e.List1->currentRow(), 1);  // the focus moved with its entry
    EXPECT_FALSE(e.Command3->isEnabled());

    // Once at the top the block stays; an entry further down still moves.
    e.List1->item(4)->setSelected(true);
    e.Command3_Click();
    EXPECT_EQ(names(), (Entries{"2.mp3", "3.mp3", "1.mp3", "5.mp3", "4.mp3"}));

    select({0, 3, 4}, 0);  // down is the mirror
    e.Command4_Click();
    EXPECT_EQ(names(), (Entries{"3.mp3", "2.mp3", "1.mp3", "5.mp3", "4.mp3"}));
    EXPECT_FALSE(e.Command4->isEnabled());
}

// "No" lets the changes go and goes on; Yes goes on only once the list is
// saved; Cancel stops; for new, open and closing alike. A cancelled Open or
// Save As keeps name and caption.
TEST_F(ListEditorTest, ThePromptBeforeNewOpenAndClosing) {
    using A = SaveQuestion::Answer;
    const std::string other = dir.write("other.m3u", "x.mp3\r\n"), saved = dir.file("saved.m3u");
    const struct {
        A answer;
        bool saveAsPicked, goesOn;
    } cases[] = {{A::Cancel, false, false}, {A::No, false, true}, {A::Yes, false, false}, {A::Yes, true, true}};
    for (const char *op : {"new", "open", "close"}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(op) + " " + std::to_string(static_cast<int>(c.answer)));
            editor_.reset();
            std::remove(saved.c_str());
            fillFive();
            question.answers = {c.answer};
            if (c.answer == A::Yes)
                dialogs.fileAnswers.push_back(c.saveAsPicked ? QStringList{q(saved)} : QStringList{});
            dialogs.fileAnswers.push_back({q(other)});
            const std::string o = op;
            if (o == "new") editor().mnuListNew_Click();
            if (o == "open") editor().mnuListOpen_Click();
            if (o == "close") editor().mnuExit_Click();
            dialogs.fileAnswers.clear();
            EXPECT_EQ(TempDir::read(saved).size(), c.saveAsPicked ? 5 * (dir.file("1.mp3").size() + 2) : 0u);
            const Entries five{"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"};
            EXPECT_EQ(names(), !c.goesOn || o == "close" ? five : o == "open" ? Entries{"x.mp3"} : Entries{});
            EXPECT_EQ(editor().isVisible(), !c.goesOn || o != "close");
            std::string caption = c.saveAsPicked ? saved + " - ListEditor" : "新規 - リストエディター";
            if (c.goesOn && o == "new") caption = "新規 - ListEditor";
            if (c.goesOn && o == "open") caption = other + " - ListEditor";
            EXPECT_EQ(editor().windowTitle().toStdString(), caption);
        }
    }
    EXPECT_EQ(question.asked, 12);

    ListEditor &e = editor();
    e.show();
    dialogs.fileAnswers.push_back({q(other)});
    e.mnuListOpen_Click();
    e.mnuListOpen_Click();  // cancelled dialogs keep the opened list's name
    e.mnuListSaveAs_Click();
    EXPECT_EQ(e.windowTitle(), q(other) + " - ListEditor");
}

// The program ending under the editor keeps an unsaved list aside, without
// a question; the next editor takes it up as an unsaved list and says so.
TEST_F(ListEditorTest, AListKeptAtTheEndComesBackUnsaved) {
    const std::string kept = dir.file("kept.m3u");
    fillFive();
    editor().closeKeepingList(kept);
    EXPECT_FALSE(editor_->isVisible());
    EXPECT_EQ(question.asked, 0);

    editor_.reset();
    editor().takeUpKeptList(kept);
    EXPECT_EQ(names().size(), 5u);
    EXPECT_FALSE(editor_->ListSaved());
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST_F(ListEditorTest, FailedSaveIsReportedAndTheListStaysUnsaved) {
    fillFive();
    ListEditor &e = editor();
    const QString caption = e.windowTitle();
    dialogs.fileAnswers.push_back({q(dir.file("no-such-folder/list.m3u"))});
    e.mnuListSaveAs_Click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(e.windowTitle(), caption);
    question.answers = {SaveQuestion::Answer::Cancel};
    e.close();
    EXPECT_EQ(question.asked, 1);
    EXPECT_TRUE(e.isVisible());
}

}  // namespace
