// The main window as seen by the desktop media controls: its buttons, play
// mode menu, volume toggle and the engine module's state. Once the window
// has been asked to close it reports itself unavailable, so nothing reaches
// the released engine.
#pragma once

#include <QObject>

#include "mpris/MprisHost.h"

class MainForm;

class MainFormMprisHost : public QObject, public MprisHost {
public:
    explicit MainFormMprisHost(MainForm &form);
    ~MainFormMprisHost() override;

    bool available() const override;
    uint8_t playState() const override;
    bool commandEnabled(int n) const override;
    void invokeCommand(int n) override;
    uint8_t playMode() const override;
    bool playModeChangeable() const override;
    void choosePlayMode(uint8_t mode) override;
    bool halfVolume() const override;
    void toggleHalfVolume() override;
    MprisTrack currentTrack() const override;
    int32_t elapsedSeconds() const override;
    void raiseWindow() override;
    void quit() override;
    bool openFile(const std::string &path) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainForm &form_;
    bool closing_ = false;
};
