// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program keeps its files (corvale.ini, debuglog.txt, color/): the
// program folder while it can be written and lies outside /usr, as a copy
// unpacked in a home folder does; otherwise (a program installed for every
// user) a per-user folder, $XDG_CONFIG_HOME/corvale/ or ~/.config/corvale/.
// The per-user folder is made on first use and gets a copy of the bundled
// colour schemes once, and of a corvale.ini found beside the program. When
// neither folder can be written, the program runs with the settings it can
// read. The engine library is always loaded from the program folder, not
// from here.
#pragma once

#include <string>

class AppFolder {
public:
    struct Inputs {
        std::string programDir;  // ends in '/'
        bool programDirWritable = true;
        std::string xdgConfigHome;  // $XDG_CONFIG_HOME, may be empty
        std::string home;           // the user's home folder
    };

    // AppPath for this process, from the environment; ends in '/'.
    static std::string choose(const std::string &programDir);
    // The same from given inputs. When the per-user folder is chosen it is
    // made (with its parents) if missing, and its corvale.ini and color/
    // filled on first use. When it cannot be made or written either, the
    // answer is the folder whose settings can be read: the per-user one when
    // it holds a corvale.ini, else the program folder.
    static std::string choose(const Inputs &inputs);

    // $XDG_CONFIG_HOME/corvale/ when that is an absolute path, else
    // <home>/.config/corvale/.
    static std::string userFolder(const std::string &xdgConfigHome, const std::string &home);
    static bool writable(const std::string &folder);

private:
    static void copyProgramSettings(const std::string &programDir, const std::string &appPath);
    static void copyBundledSchemes(const std::string &programDir, const std::string &appPath);
};
