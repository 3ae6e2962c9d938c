// SPDX-License-Identifier: GPL-3.0-or-later
// Corvale: starts the main window, which runs start-up, the tick and shutdown.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QFile>

#include "app/AppFolder.h"
#include "app/CommandLineOptions.h"
#include "app/InstanceChannel.h"
#include "app/TerminationWatch.h"
#include "app/Vbmp3BuildInfo.h"
#include "common/PathUtil.h"
#include "mainwindow/MainForm.h"
#include "mpris/MprisService.h"
#include "vbmp3/vbmp3.h"

int main(int argc, char **argv) {
    // --help and --version need no window, nor a display.
    switch (CommandLineOptions::parse(std::vector<std::string>(argv + 1, argv + argc))) {
    case CommandLineOptions::Action::Help:
        std::fputs(CommandLineOptions::usageText().c_str(), stdout);
        return EXIT_SUCCESS;
    case CommandLineOptions::Action::Version:
        std::printf("%s\n", CommandLineOptions::versionText().c_str());
        return EXIT_SUCCESS;
    case CommandLineOptions::Action::Start: break;
    }
    // Window placement and staying on top need X11 (XWayland on Wayland
    // desktops). A desktop without any X server is left to Qt's own choice.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Two settings for the cost of playing, read once while the application
    // starts up, unless the user set them:
    // - The panel repaints a few small areas 25 times a second. Through X
    //   shared memory every repaint of an area the server may still be reading
    //   first waits for a round trip to the server; sent down the connection,
    //   the pixels cost less than that wait (a third of the CPU time, playing).
    // - Qt's own event loop instead of GLib's: the 10 ms tick wakes it 100
    //   times a second, and GLib's costs more for each wake-up. Nothing in the
    //   player needs GLib's loop (its file dialogs are Qt's own).
    struct StartupSetting {
        const char *name;
        bool setHere;
    };
    std::array<StartupSetting, 2> startup{{{"QT_XCB_NO_MITSHM", false}, {"QT_NO_GLIB", false}}};
    for (StartupSetting &s : startup) {
        s.setHere = !qEnvironmentVariableIsSet(s.name);
        if (s.setHere) qputenv(s.name, "1");
    }
    QApplication app(argc, argv);  // takes its own options out of argv
    // The programs started from the menu keep the user's own settings.
    for (const StartupSetting &s : startup)
        if (s.setHere) qunsetenv(s.name);

    MainForm::Environment env;
    env.programDir =
        PathUtil::withTrailingSlash(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    env.appPath = AppFolder::choose(env.programDir);
    for (int i = 1; i < argc; ++i) env.arguments.emplace_back(argv[i]);
    const std::vector<std::string> arguments = env.arguments;
    env.expectedLibrarySize = Vbmp3BuildInfo::LibrarySize;
    env.expectedLibraryVersion = VBMP3_VERSION;

    MainForm form(std::move(env));
    if (!form.Form_Load()) {
        // A second start hands its paths to the running player. The engine
        // may already be running: end at once, without unwinding.
        if (form.endedAsSecondInstance())
            InstanceChannel::send(InstanceChannel::socketNameFor(form.instanceLockFile()),
                                  InstanceChannel::absolutePaths(arguments, PathUtil::currentFolder()));
        std::fflush(nullptr);
        std::_Exit(form.endedAsSecondInstance() ? EXIT_SUCCESS : EXIT_FAILURE);
    }
    // A polite termination request (logout, kill) closes any open dialog as
    // Cancel would and then the window the normal way, so the settings are written.
    TerminationWatch termination([&form] { form.requestQuit(); });
    // Later starts hand their paths over here.
    InstanceChannel forwarded(InstanceChannel::socketNameFor(form.instanceLockFile()),
                              [&form](const std::vector<std::string> &paths) { form.openForwarded(paths); });
    // Media keys and the desktop's sound menu, where there is a session bus.
    const std::unique_ptr<MprisService> mpris = MprisService::start(form);
    return app.exec();
}
