// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist editor: builds an m3u playlist by dialog and by drop, removes
// and reorders entries, and opens, saves and saves as .m3u files. Modal over
// the main window; works on its own list, never on the player's playlist.
// Files are written as UTF-8 with CR LF line ends, through a temporary file
// that replaces the old one only once it is complete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QList>
#include <QUrl>

#include "listeditor/SaveQuestion.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class UserDialogs;

class ListEditor : public QDialog {
public:
    static constexpr int MaxEntries = 999;

    // question: the save prompt; null for the real message box.
    ListEditor(QWidget *owner, UserDialogs &dialogs, uint8_t AllwaysTop, SaveQuestion *question = nullptr);
    ~ListEditor() override;

    // Adds the files of a file-dialog result (one path; or a folder, NUL, names
    // each followed by NUL, and one more NUL). A name that is a full path
    // stands as it is; when the first of several items is no folder, every
    // item is a full path. Playlists (.m3u) add the audio files they name that
    // exist. 0 when all went well, 255 when a playlist could not be read (what
    // was added before stays, and the list counts as changed).
    uint8_t bytListAddFiles(const std::string &buffer);

    void List1_Click();
    void List1_OLEDragDrop(const QList<QUrl> &urls);
    void Command1_Click();  // add
    void Command2_Click();  // delete
    void Command3_Click();  // up
    void Command4_Click();  // down
    void mnuListNew_Click();
    void mnuListOpen_Click();
    void mnuListSave_Click();
    void mnuListSaveAs_Click();
    void mnuExit_Click();

    // The program is ending under the editor: an unsaved list is written to
    // keepIn (nothing asked), and the editor closes as Cancel would.
    void closeKeepingList(const std::string &keepIn);
    // A list kept so at the last end is taken up as an unsaved list (and the
    // user told); the file goes.
    void takeUpKeptList(const std::string &keptIn);

    std::vector<std::string> entries() const;
    bool ListSaved() const { return listSaved_; }
    const std::string &ListFileName() const { return listFileName_; }

    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QMenuBar *menuBar = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuListNew = nullptr;
    QAction *mnuListOpen = nullptr;
    QAction *mnuListSave = nullptr;
    QAction *mnuListSaveAs = nullptr;
    QAction *mnuExit = nullptr;

protected:
    // Every way of closing passes here; the prompt may keep the window open.
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void Form_Load();
    bool Form_QueryUnload();

    // The save prompt; true when the operation may go on.
    bool askToSave();
    // The save-as dialog and the write; true when the list was written.
    bool saveAs();
    bool writeList(const std::string &path);

    bool isFull() const;
    void addEntry(const std::string &entry);
    bool addPlayList(const std::string &listPath);
    void showCount();
    void setCaption(const std::string &fileName);
    void swapEntries(int a, int b);
    void moveSelected(int step);

    QWidget *owner_;
    UserDialogs &dialogs_;
    uint8_t allwaysTop_;
    std::unique_ptr<SaveQuestion> ownQuestion_;
    SaveQuestion *question_;

    bool listSaved_ = true;
    std::string listFileName_;
    // Lines of the opened file beyond MaxEntries, which the list lacks: Save
    // would drop them, so only Save As (which asks before replacing a file) writes it.
    std::size_t linesNotShown_ = 0;
    bool keepingList_ = false;  // closing without the prompt
};
