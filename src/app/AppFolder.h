// Where the program keeps its files (corvale.ini, debuglog.txt, color/): the
// program folder while it can be written and lies outside /usr, as a copy
// unpacked in a home folder does; otherwise (a program installed for every
// user) a per-user folder, $XDG_CONFIG_HOME/corvale/ or ~/.config/corvale/.
// The per-user folder is made on first use and gets a copy of the bundled
// colour schemes once. The engine library is always loaded from the program
// folder, not from here.
#pragma once

#include <string>

class AppFolder {
public:
    struct Inputs {
        std::string programDir;          // ends in '/'
        bool programDirWritable = true;
        std::string xdgConfigHome;       // $XDG_CONFIG_HOME, may be empty
        std::string home;                // the user's home folder
    };

    // AppPath for this process, from the environment; ends in '/'.
    static std::string choose(const std::string &programDir);
    // The same from given inputs. When the per-user folder is chosen it is
    // made (with its parents) if missing, and its color/ filled on first use.
    // A folder that cannot be made is still returned: reading the settings
    // there fails and says so.
    static std::string choose(const Inputs &inputs);

    // $XDG_CONFIG_HOME/corvale/ when that is an absolute path, else
    // <home>/.config/corvale/.
    static std::string userFolder(const std::string &xdgConfigHome, const std::string &home);
    static bool writable(const std::string &folder);

private:
    static void copyBundledSchemes(const std::string &programDir, const std::string &appPath);
};
