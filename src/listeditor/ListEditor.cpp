// SPDX-License-Identifier: GPL-3.0-or-later
#include "listeditor/ListEditor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <unistd.h>

#include "common/AudioFileTypes.h"
#include "common/PathList.h"
#include "common/PathUtil.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"
#include "engine/M3uReader.h"
#include "ui/DialogFlags.h"
#include "ui/ShowFileDialog.h"
#include "ui/TopmostRule.h"
#include "ui/Twips.h"
#include "ui/UserDialogs.h"

namespace {

constexpr const char *NewCaption = "新規 - ListEditor";
constexpr const char *CaptionSuffix = " - ListEditor";

QRect twips(int left, int top, int width, int height) {
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

std::string localPath(const QUrl &url) {
    return url.isLocalFile() ? QFile::encodeName(url.toLocalFile()).toStdString() : std::string();
}

// Each entry shown as its own text: UTF-8, else CP932.
QString display(const std::string &bytes) { return QString::fromStdString(TextCodec::toUtf8(bytes)); }

}  // namespace

ListEditor::ListEditor(QWidget *owner, UserDialogs &dialogs, uint8_t AllwaysTop, SaveQuestion *question)
    : QDialog(owner), owner_(owner), dialogs_(dialogs), allwaysTop_(AllwaysTop), question_(question) {
    if (!question_) {
        ownQuestion_ = std::make_unique<SaveQuestion>();
        question_ = ownQuestion_.get();
    }
    buildControls();
    buildMenu();
    Form_Load();
}

ListEditor::~ListEditor() = default;

void ListEditor::buildControls() {
    setModal(true);
    QFont terminal = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    terminal.setPointSizeF(9.75);

    auto *client = new QWidget(this);
    client->setFont(terminal);
    client->setFixedSize(7080 / TwipsPerPixel, 3495 / TwipsPerPixel);

    List1 = new QListWidget(client);
    List1->setGeometry(twips(0, 0, 7080, 2985));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List1->setDragDropMode(QAbstractItemView::NoDragDrop);
    List1->viewport()->setAcceptDrops(true);
    List1->viewport()->installEventFilter(this);

    Command1 = new QPushButton(QStringLiteral("追加"), client);
    Command1->setGeometry(twips(240, 3000, 975, 495));
    Command2 = new QPushButton(QStringLiteral("削除"), client);
    Command2->setGeometry(twips(1440, 3000, 975, 495));
    Label1 = new QLabel(QStringLiteral("現在の曲数："), client);
    Label1->setGeometry(twips(2760, 3120, 1095, 255));
    Label1->resize(std::max(Label1->width(), Label1->sizeHint().width()), Label1->height());
    Label2 = new QLabel(QStringLiteral("0"), client);
    Label2->setGeometry(std::max(3840 / TwipsPerPixel, Label1->geometry().right() + 1), 3135 / TwipsPerPixel,
                        4680 / TwipsPerPixel - 3840 / TwipsPerPixel, 255 / TwipsPerPixel);
    Command3 = new QPushButton(QStringLiteral("上へ"), client);
    Command3->setGeometry(twips(4680, 3000, 975, 495));
    Command4 = new QPushButton(QStringLiteral("下へ"), client);
    Command4->setGeometry(twips(5880, 3000, 975, 495));
    for (QPushButton *b : {Command1, Command2, Command3, Command4}) b->setAutoDefault(false);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(List1, &QListWidget::currentRowChanged, this, [this](int) { List1_Click(); });

    menuBar = new QMenuBar(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ListEditor::buildMenu() {
    mnuFile = menuBar->addMenu(QStringLiteral("ファイル(&F)"));
    mnuListNew = mnuFile->addAction(QStringLiteral("新規作成(&N)"));
    mnuListOpen = mnuFile->addAction(QStringLiteral("リストを開く(&O)"));
    mnuFile->addSeparator();
    mnuListSave = mnuFile->addAction(QStringLiteral("上書き保存(&S)"));
    mnuListSaveAs = mnuFile->addAction(QStringLiteral("名前を付けて保存(&A)"));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("終了(&X)"));
    connect(mnuListNew, &QAction::triggered, this, [this] { mnuListNew_Click(); });
    connect(mnuListOpen, &QAction::triggered, this, [this] { mnuListOpen_Click(); });
    connect(mnuListSave, &QAction::triggered, this, [this] { mnuListSave_Click(); });
    connect(mnuListSaveAs, &QAction::triggered, this, [this] { mnuListSaveAs_Click(); });
    connect(mnuExit, &QAction::triggered, this, [this] { mnuExit_Click(); });
}

void ListEditor::Form_Load() {
    setWindowTitle(QStringLiteral("新規 - リストエディター"));
    Command1->setEnabled(true);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    mnuListSave->setEnabled(false);
    mnuListSaveAs->setEnabled(false);
    listSaved_ = true;
    TopmostRule::applyOnOpen(*this, allwaysTop_);
}

void ListEditor::done(int result) {
    if (!keepingList_ && !Form_QueryUnload()) return;
    QDialog::done(result);
    TopmostRule::restoreOnClose(*this, owner_, allwaysTop_);
}

bool ListEditor::Form_QueryUnload() { return askToSave(); }

bool ListEditor::eventFilter(QObject *watched, QEvent *event) {
    if (watched == List1->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            if (drag->mimeData()->hasUrls())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (drop->mimeData()->hasUrls()) {
                drop->acceptProposedAction();
                const QList<QUrl> urls = drop->mimeData()->urls();
                List1_OLEDragDrop(urls);
            }
            return true;
        }
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- entries ----

std::vector<std::string> ListEditor::entries() const {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(List1->count()));
    for (int i = 0; i < List1->count(); ++i)
        out.push_back(List1->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return out;
}

bool ListEditor::isFull() const { return List1->count() >= MaxEntries; }

void ListEditor::addEntry(const std::string &entry) {
    // The bytes are kept as they will be written; the shown text is only a view.
    auto *item = new QListWidgetItem(display(entry));
    item->setData(Qt::UserRole, QByteArray::fromStdString(entry));
    List1->addItem(item);
}

void ListEditor::showCount() { Label2->setText(QString::number(List1->count())); }

void ListEditor::setCaption(const std::string &fileName) {
    setWindowTitle(display(fileName) + QString::fromUtf8(CaptionSuffix));
}

// ---- adding ----

bool ListEditor::addPlayList(const std::string &listPath) {
    if (!PathUtil::fileExists(listPath) || ::access(listPath.c_str(), R_OK) != 0) return false;
    const auto room = static_cast<std::size_t>(MaxEntries - List1->count());
    for (const std::string &path : M3uReader::read(listPath, room)) addEntry(path);
    return true;
}

uint8_t ListEditor::bytListAddFiles(const std::string &buffer) {
    const std::vector<std::string> paths = PathList::split(buffer);
    if (paths.empty()) return 255;

    uint8_t result = 0;
    for (const std::string &path : paths) {
        if (isFull()) break;
        if (PathUtil::hasExtension4(path, ".m3u")) {
            if (!addPlayList(path)) {
                result = 255;
                break;
            }
        } else {
            addEntry(path);
        }
    }

    // Also after an error: what was added is in the list and must not be
    // closed away without the prompt.
    listSaved_ = false;
    showCount();
    if (List1->count() > 0) Command2->setEnabled(true);
    if (isFull()) Command1->setEnabled(false);
    mnuListSaveAs->setEnabled(true);
    return result;
}

void ListEditor::Command1_Click() {
    std::string folder;
    const std::string chosen = ShowFileDialog(dialogs_, 0, "リストに追加するファイルを選択", this,
                                              DialogFlags::OpenFiles, AudioFileTypes::openDialogFilter(), "", folder);
    if (chosen.empty()) return;
    if (bytListAddFiles(chosen) != 0) dialogs_.showMessage(this, QStringLiteral("ListEditor"), QStringLiteral("Error"));
}

void ListEditor::List1_OLEDragDrop(const QList<QUrl> &urls) {
    if (urls.isEmpty()) return;
    const std::string first = localPath(urls.front());
    if (first.empty()) return;

    // The accepted files by full path, so that files from different folders
    // keep their own. Other files are skipped.
    std::vector<std::string> accepted;
    for (const QUrl &url : urls) {
        const std::string path = localPath(url);
        if (!path.empty() && AudioFileTypes::isTrackOrListPath(path)) accepted.push_back(path);
    }
    if (accepted.empty()) return;
    if (bytListAddFiles(PathList::join(accepted)) != 0)
        dialogs_.showMessage(this, QStringLiteral("ListEditor"), QStringLiteral("Error"));
}

// ---- delete, up, down ----

void ListEditor::Command2_Click() {
    if (List1->currentRow() < 0) {
        QApplication::beep();
        return;
    }
    for (int i = List1->count() - 1; i >= 0; --i)
        if (List1->item(i)->isSelected()) delete List1->takeItem(i);
    if (List1->count() == 0) {
        listSaved_ = true;
        Command2->setEnabled(false);
    } else {
        listSaved_ = false;
    }
    showCount();
    Command1->setEnabled(!isFull());
}

void ListEditor::swapEntries(int a, int b) {
    QListWidgetItem *x = List1->item(a);
    QListWidgetItem *y = List1->item(b);
    const QString text = x->text();
    const QVariant data = x->data(Qt::UserRole);
    const bool selected = x->isSelected();
    x->setText(y->text());
    x->setData(Qt::UserRole, y->data(Qt::UserRole));
    x->setSelected(y->isSelected());
    y->setText(text);
    y->setData(Qt::UserRole, data);
    y->setSelected(selected);
}

// Moves each selected entry one place (step -1 up, +1 down) past an entry
// that is not selected. A selected block that already touches the edge stays
// where it is, and so does whatever is packed against it.
void ListEditor::moveSelected(int step) {
    const int n = List1->count();
    int current = List1->currentRow();
    {
        const QSignalBlocker blocker(List1);
        auto moveOne = [&](int i) {
            const int j = i + step;
            if (!List1->item(i)->isSelected() || List1->item(j)->isSelected()) return;
            swapEntries(i, j);
            if (current == i)
                current = j;
            else if (current == j)
                current = i;
        };
        if (step < 0) {
            for (int i = 1; i < n; ++i) moveOne(i);
        } else {
            for (int i = n - 2; i >= 0; --i) moveOne(i);
        }
    }
    List1->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    List1_Click();
    listSaved_ = false;
}

void ListEditor::Command3_Click() {
    if (List1->currentRow() < 0) {
        QApplication::beep();
        return;
    }
    moveSelected(-1);
    if (List1->item(0)->isSelected()) Command3->setEnabled(false);
}

void ListEditor::Command4_Click() {
    if (List1->currentRow() < 0) {
        QApplication::beep();
        return;
    }
    moveSelected(+1);
    if (List1->item(List1->count() - 1)->isSelected()) Command4->setEnabled(false);
}

void ListEditor::List1_Click() {
    const int row = List1->currentRow();
    Command3->setEnabled(row > 0);
    Command4->setEnabled(row >= 0 && row < List1->count() - 1);
}

// ---- files ----

bool ListEditor::askToSave() {
    if (listSaved_) return true;
    switch (question_->ask(this)) {
    case SaveQuestion::Answer::Yes:
        // Go on only once the list is safe: a cancelled or failed save stops.
        return saveAs();
    case SaveQuestion::Answer::No:
        // The changes are let go.
        return true;
    case SaveQuestion::Answer::Cancel: return false;
    }
    return false;
}

bool ListEditor::writeList(const std::string &path) {
    std::string bytes;
    for (const std::string &entry : entries()) {
        bytes += entry;
        bytes += "\r\n";
    }
    if (TextFile::writeAtomic(path, bytes)) return true;
    dialogs_.showMessage(this, QStringLiteral("ListEditor"),
                         QStringLiteral("リストを保存できませんでした\n") + display(path));
    return false;
}

bool ListEditor::saveAs() {
    std::string folder;
    const std::string chosen =
        PathList::strCutNull(ShowFileDialog(dialogs_, 1, "名前を付けてリストを保存", this, DialogFlags::SaveFile,
                                            FileFilter("m3u ListFile", "*.m3u"), "m3u", folder));
    // Cancelled or not written: the file name and the caption stay as they were.
    if (chosen.empty() || !writeList(chosen)) return false;
    listFileName_ = chosen;
    linesNotShown_ = 0;
    listSaved_ = true;
    setCaption(listFileName_);
    mnuListSave->setEnabled(true);
    return true;
}

void ListEditor::mnuListNew_Click() {
    if (!askToSave()) return;
    listSaved_ = true;
    linesNotShown_ = 0;
    List1->clear();
    mnuListSave->setEnabled(false);
    mnuListSaveAs->setEnabled(false);
    Command1->setEnabled(true);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setEnabled(false);
    setWindowTitle(QString::fromUtf8(NewCaption));
    showCount();
}

void ListEditor::mnuListOpen_Click() {
    if (!askToSave()) return;
    std::string folder;
    const std::string previous = listFileName_;
    listFileName_ = PathList::strCutNull(ShowFileDialog(dialogs_, 0, "リストを開く", this, DialogFlags::OpenFile,
                                                        FileFilter("m3u ListFile", "*.m3u"), "", folder));
    if (listFileName_.empty()) {
        listFileName_ = previous;  // cancelled: name and caption stay
        return;
    }

    const std::optional<std::string> bytes = TextFile::readAll(listFileName_);
    if (!bytes) {
        dialogs_.showMessage(this, QStringLiteral("ListEditor"),
                             QStringLiteral("リストを開けませんでした\n") + display(listFileName_));
        listFileName_ = previous;
        return;
    }
    List1->clear();
    // The lines' own bytes: a list saved unchanged keeps every entry as it was.
    const std::vector<std::string> lines = TextCodec::splitLines(*bytes);
    for (const std::string &line : lines) {
        if (isFull()) break;
        addEntry(line);
    }
    linesNotShown_ = lines.size() - static_cast<std::size_t>(List1->count());
    listSaved_ = true;
    setCaption(listFileName_);
    showCount();
    Command1->setEnabled(!isFull());
    Command2->setEnabled(List1->count() > 0);
    mnuListSave->setEnabled(linesNotShown_ == 0);
    mnuListSaveAs->setEnabled(true);
    if (linesNotShown_ > 0)
        dialogs_.showMessage(this, QStringLiteral("ListEditor"),
                             QStringLiteral("このリストは %1 行あります。最初の %2 行だけを開きました。\n"
                                            "残りの行を失わないよう、上書き保存はできません。")
                                 .arg(lines.size())
                                 .arg(MaxEntries));
}

void ListEditor::mnuListSave_Click() {
    if (listFileName_.empty() || linesNotShown_ > 0) {
        saveAs();
        return;
    }
    if (writeList(listFileName_)) listSaved_ = true;
}

void ListEditor::mnuListSaveAs_Click() { saveAs(); }

void ListEditor::mnuExit_Click() { close(); }

// ---- the program ending under the editor ----

void ListEditor::closeKeepingList(const std::string &keepIn) {
    if (!listSaved_ && List1->count() > 0) {
        std::string bytes;
        for (const std::string &entry : entries()) bytes += entry + "\r\n";
        TextFile::writeAtomic(keepIn, bytes);
    }
    keepingList_ = true;
    reject();
}

void ListEditor::takeUpKeptList(const std::string &keptIn) {
    const std::optional<std::string> bytes = TextFile::readAll(keptIn);
    if (!bytes) return;
    std::remove(keptIn.c_str());
    for (const std::string &line : TextCodec::splitLines(*bytes)) {
        if (isFull()) break;
        addEntry(line);
    }
    if (List1->count() == 0) return;
    listSaved_ = false;
    showCount();
    Command1->setEnabled(!isFull());
    Command2->setEnabled(true);
    mnuListSaveAs->setEnabled(true);
    dialogs_.showMessage(this, QStringLiteral("ListEditor"),
                         QStringLiteral("前回の終了時に保存されていなかったリストを復元しました"));
}
