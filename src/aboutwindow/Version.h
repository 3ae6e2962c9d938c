// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the program's version, the versions of its three modules,
// thanks to the libraries it is built on, a one-line notice, and a button that
// opens the project's home page. Modal over the main window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <QDialog>
#include <QUrl>

class DebugLog;
class QGroupBox;
class QLabel;
class QPushButton;

class Version : public QDialog {
public:
    using UrlOpener = std::function<void(const QUrl &)>;

    // programDir ends in '/'; openUrl defaults to QDesktopServices::openUrl.
    Version(QWidget *owner, DebugLog &log, uint8_t AllwaysTop, std::string programDir, UrlOpener openUrl = {});

    void Command1_Click();  // "OK"
    void Command2_Click();  // "To WebPage"

    // The home page set at build time, or the README in the program folder
    // while none is set.
    static QUrl webPage(const std::string &programDir);

    QLabel *Label1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QLabel *, 3> Label3{};
    std::array<QLabel *, 3> Label4{};
    QGroupBox *Frame2 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

protected:
    // Every way of closing passes here (Form_QueryUnload).
    void done(int result) override;

private:
    void buildControls();
    void Form_Load();

    QWidget *owner_;
    DebugLog &log_;
    uint8_t allwaysTop_;
    std::string programDir_;
    UrlOpener openUrl_;
};
