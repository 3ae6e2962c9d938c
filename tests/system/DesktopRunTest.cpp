// SPDX-License-Identifier: GPL-3.0-or-later
// The built program on a desktop: --help and --version without a display,
// a second start handing the demo to the running player, which plays it with
// its lyrics and quits, and an installed copy run by an unprivileged user that
// keeps its settings in its own folder. Each runs under Xvfb in a few seconds.
// Last, the Debian package built and inspected.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QColor>
#include <QImage>

#include "common/TextCodec.h"
#include "support/TempDir.h"
#include "system/SystemRun.h"
#include "vbmp3/AudioFixtures.h"

namespace fs = std::filesystem;
using SystemRun::countLogLines;
using SystemRun::onPath;
using SystemRun::shell;
using SystemRun::shellWord;
using SystemRun::values;

namespace {

const std::string DawnTitle = "夜明けのドライブ - Corvale";

// xvfb-run with a screen, starting its search for a free display where
// other tests running at the same time are unlikely to be.
std::string xvfbRun() {
    return "xvfb-run -a -n " + std::to_string(100 + ::getpid() % 800) + " -s '-screen 0 1024x768x24' ";
}

// A copy of the program folder with the demo.
std::string copyProgram(const TempDir &work) {
    return SystemRun::copyProgram(work, {"corvale", "libvbmp3.so", "color", "demo"});
}

// Pixels of the lyrics line (client 258,34 317x17) that stand out from its
// background, the commonest colour there.
int lyricsInk(const QImage &window) {
    const QRect line(258, 34, 317, 17);
    std::map<QRgb, int> count;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x) ++count[window.pixel(x, y) & 0xFFFFFF];
    const QRgb bg =
        std::max_element(count.begin(), count.end(), [](auto &a, auto &b) { return a.second < b.second; })->first;
    int ink = 0;
    for (const auto &[c, n] : count)
        if (std::abs(qRed(c) - qRed(bg)) + std::abs(qGreen(c) - qGreen(bg)) + std::abs(qBlue(c) - qBlue(bg)) > 90)
            ink += n;
    return ink;
}

// Why the program cannot be run under Xvfb with the demo here; empty when it can.
std::string xvfbRunMissing() {
    for (const char *tool : {"xvfb-run", "xdotool"})
        if (!onPath(tool)) return std::string(tool) + " is not installed";
    if (!fs::exists(fs::path(CORVALE_PROGRAM_DIR) / "demo/demo.m3u"))
        return "the demo songs were not built (lame or twolame missing)";
    return {};
}

class DesktopRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = xvfbRunMissing(); !why.empty()) GTEST_SKIP() << why;
    }
};

}  // namespace

TEST(DesktopOptionsTest, HelpAndVersionAnswerWithoutADisplay) {
    const std::string program = shellWord(std::string(CORVALE_PROGRAM_DIR) + "/corvale");
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    const auto version = shell(noDisplay + program + " --version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("Corvale ", 0), 0u) << version.output;
    const auto help = shell(noDisplay + program + " --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.rfind("Usage: corvale [FILE...]\n", 0), 0u) << help.output;
    EXPECT_NE(help.output.find("./-name"), std::string::npos);
}

namespace {

// The readout panel (below the title and lyrics lines) in two pictures differs.
bool readoutChanged(const QImage &a, const QImage &b) {
    for (int y = 52; y < 115; ++y)
        for (int x = 258; x < 576; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return true;
    return false;
}

// Runs a command with CLOCK_MONOTONIC shifted (a time namespace) so that the
// millisecond clock (a wrapping 32-bit value) stands at 0xC0000000, the middle
// of its negative half; empty where time namespaces are not available.
std::string clockShift() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    const std::string unshare =
        "unshare --time --monotonic=" + std::to_string(((0xC0000000ull - ms % 0x100000000ull) & 0xFFFFFFFFull) / 1000) +
        " --fork ";
    return shell(unshare + "true").exitCode == 0 ? unshare : std::string();
}

}  // namespace

// A player started empty; a second start hands it the demo list by a
// relative path, made absolute in the second start's folder; P, sound through
// SDL's disk driver; a third start's file is refused while it plays, as a
// drop is; stopped, a fifth start's list of missing files changes nothing;
// SIGTERM under the settings dialog ends it the normal way: the song in the
// output and its first lyrics line on screen, the log's start-up, play and
// unload lines in order, the settings written back. Again with the
// millisecond clock in its negative half, where the panel must still paint.
TEST_F(DesktopRunTest, SecondStartHandsOverTheDemoWhichPlaysWithItsLyricsAndQuits) {
    const std::string shifted = clockShift();
    for (const bool shift : {false, true}) {
        SCOPED_TRACE(shift ? "clock in its negative half" : "clock as it is");
        if (shift && shifted.empty()) GTEST_SKIP() << "unshare --time is not available here (needs root and Linux 5.6)";
        TempDir work;
        const std::string prog = copyProgram(work), run = work.file("run");
        fs::create_directories(run);
        fs::permissions(run, fs::perms::owner_all);
        const std::string out = work.file("out.raw"), before = work.file("before.png"), wav = work.file("wav.png");
        std::string lists;  // a damaged file, then a tagged tone, for each compressed format
        for (const std::string ext : fixtures::Compressed) {
            const std::string tone = work.file("tone" + ext), damaged = work.file("bad" + ext);
            ASSERT_TRUE(fixtures::writeCompressed(tone, {.rate = ext == ".opus" ? 48000 : 44100}, "トーン" + ext));
            work.write("bad" + ext, TempDir::read(tone).substr(0, 300));
            lists += work.write("list" + ext + ".m3u", damaged + "\r\n" + tone + "\r\n") + " ";
        }
        const std::string after =
            std::string(CORVALE_ARTIFACT_DIR) + (shift ? "/corvale-demo-shifted.png" : "/corvale-demo.png");
        fs::create_directories(CORVALE_ARTIFACT_DIR);
        fs::remove(after);
        const auto result = shell("XDG_RUNTIME_DIR=" + shellWord(run) + " " + xvfbRun() + (shift ? shifted : "") +
                                  "sh " + shellWord(CORVALE_SYSTEM_DIR "/demo_run.sh") + " " + shellWord(prog) + " " +
                                  shellWord(out) + " " + shellWord(before) + " " + shellWord(after) + " " +
                                  shellWord(CORVALE_SCREEN_GRAB) + " " + shellWord(wav) + " " + shellWord(lists));
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_EQ(values(result.output, "format"),
                  (std::vector<std::string>{"トーン.flac - Corvale", "トーン.ogg - Corvale", "トーン.opus - Corvale"}));
        for (const char *line : {"second exit 0", "third exit 0", "fourth exit 0", "fifth exit 0", "\nexit 0"})
            EXPECT_NE(result.output.find(line), std::string::npos) << line << "\n" << result.output;
        // The list that yields nothing left list and track as they were, so next still moves on.
        EXPECT_EQ(values(result.output, "title"), (std::vector<std::string>{DawnTitle, DawnTitle})) << result.output;
        const auto next = values(result.output, "next");
        ASSERT_EQ(next.size(), 1u) << result.output;
        EXPECT_NE(next[0], DawnTitle);
        EXPECT_NE(next[0].find("Corvale"), std::string::npos) << next[0];
        const std::string logText = TempDir::read(prog + "/debuglog.txt");
        EXPECT_EQ(countLogLines(logText, "MainFrm Called  - Form_OLEDragDrop"), 6) << logText;
        EXPECT_EQ(countLogLines(logText, "KRM1000 Called  - bytPlayListNewOpen"), 5) << logText;
        EXPECT_EQ(countLogLines(logText, "KRM1000 Failed  - bytPlayListNewOpen"), 1) << logText;
        for (const auto &entry : fs::directory_iterator(run))  // the socket went with the player
            EXPECT_NE(entry.path().extension(), ".socket") << entry.path();
        // SIGTERM under the settings dialog: it closed as Cancel would, then
        // the normal shutdown ran, in under two seconds.
        EXPECT_NE(result.output.find("dialog open"), std::string::npos) << result.output;
        const auto ms = values(result.output, "quit_ms");
        ASSERT_EQ(ms.size(), 1u) << result.output;
        EXPECT_LT(std::stoi(ms[0]), 2000);

        // Sound: the synthesized song, not silence, in the second before the
        // second picture (after the stop the device is fed silence).
        const std::vector<float> sound = SystemRun::readFloats(out + ".demo");
        ASSERT_GT(sound.size(), 48000u * 11) << result.output;
        double energy = 0;
        for (std::size_t i = 48000 * 9; i < 48000 * 11; ++i) energy += double(sound[i]) * sound[i];
        EXPECT_GT(std::sqrt(energy / (48000 * 2)), 0.02);

        // The lyrics line: empty as the song starts, a line of text after four
        // seconds; the readout painted anew (the elapsed time went on).
        const QImage first(QString::fromStdString(before)), second(QString::fromStdString(after));
        ASSERT_EQ(first.size(), QSize(634, 115)) << result.output;
        ASSERT_EQ(second.size(), QSize(634, 115)) << result.output;
        EXPECT_LT(lyricsInk(first), 10);
        EXPECT_GT(lyricsInk(second), 60);
        EXPECT_TRUE(readoutChanged(first, second));
        // The WAV's 1411 kbit/s reads "1.41Mbps": an M in the unit cell, the point after the "1" lit.
        const QImage cd(QString::fromStdString(wav));
        ASSERT_EQ(cd.size(), QSize(634, 115)) << result.output;
        const auto dot = [&](int c, int r) { return cd.pixel(3 * c + 258, 3 * r + 52); };
        const char *m[] = {"X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"};
        std::string shown, wanted;
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c) {
                shown += dot(82 + c, 13 + r) == dot(88, 13) ? 'X' : '.';  // ink of the "b" of "bps"
                wanted += m[r][c];
            }
        EXPECT_EQ(shown, wanted);
        EXPECT_EQ(dot(69, 19), dot(68, 14));  // the point, as the lit segment of the "1"

        const std::vector<std::string> log = TextCodec::splitLines(logText);
        // The settings read turns the file log on before it logs its own line.
        const std::vector<std::string> expected = {"KRC1000 Called  - bytSettingRead",
                                                   "MainFrm Called  - Main",
                                                   "Corvale Show    - MainForm",
                                                   "MainFrm Enable  - Timer1",
                                                   "KRM1000 Called  - bytPlayListNewOpen",
                                                   "MainFrm Called  - Command5",
                                                   "KRM1000 Called  - bytPlayStart",
                                                   "Corvale Show    - SetForm",
                                                   "Corvale Unload  - SetForm",
                                                   "Corvale Unload  - Mainform",
                                                   "KRM1000 Called  - vbmp3_free",
                                                   "KRC1000 Called  - bytSettingWrite"};
        std::size_t at = 0;
        for (const std::string &line : log)
            if (at < expected.size() && line.size() > 11 && line.substr(11) == expected[at]) ++at;
        EXPECT_EQ(at, expected.size()) << "missing from the log: " << (at < expected.size() ? expected[at] : "");
        const std::string settings = TempDir::read(prog + "/corvale.ini");
        EXPECT_GE(TextCodec::splitLines(settings).size(), 26u);
        EXPECT_NE(settings.find("\r\nPositionX="), std::string::npos);
    }
}

// ---------------------------------------------------------------- installation

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::permissions(work.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
        prefix = work.path() + "prefix";
        const auto install =
            shell("cmake --install " + shellWord(CORVALE_BINARY_DIR) + " --prefix " + shellWord(prefix));
        ASSERT_EQ(install.exitCode, 0) << install.output;
    }
    TempDir work;
    std::string prefix;
};

TEST_F(InstallTest, UnprivilegedUserKeepsSettingsInTheirOwnFolder) {
    if (const std::string why = xvfbRunMissing(); !why.empty()) GTEST_SKIP() << why;
    const bool root = ::geteuid() == 0;
    // Root may write anywhere, so the program is run as nobody.
    if (root && (!onPath("setpriv") || shell("id nobody && getent group nogroup").exitCode != 0))
        GTEST_SKIP() << "setpriv or the user nobody is missing";

    // A relative XDG_CONFIG_HOME counts as unset: the folder goes under HOME.
    const std::string home = work.path() + "home", config = home + "/.config", run = work.path() + "run";
    fs::create_directories(home);
    fs::create_directories(run);
    for (const char *script : {"session.sh", "installed_run.sh"})
        fs::copy_file(fs::path(CORVALE_SYSTEM_DIR) / script, work.path() + script);
    const fs::path lib = fs::path(prefix) / "lib/corvale";
    std::string as = "";
    if (root) {
        shell("chown nobody:nogroup " + shellWord(home) + " " + shellWord(run));
        as = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    } else {
        shell("chmod -R a-w " + shellWord(lib.string()));
    }
    struct Writable {  // the temporary folder must be removable again
        std::string folder;
        ~Writable() {
            if (!folder.empty()) shell("chmod -R u+w " + shellWord(folder));
        }
    } restore{root ? std::string() : lib.string()};
    fs::permissions(run, fs::perms::owner_all);
    const std::string command = "cd / && " + as + "env HOME=" + shellWord(home) + " XDG_CONFIG_HOME=config" +
                                " XDG_RUNTIME_DIR=" + shellWord(run) + " " + xvfbRun() + "sh " +
                                shellWord(work.path() + "installed_run.sh") + " " + shellWord(prefix);

    // First start: the per-user folder is made, with the bundled schemes.
    const auto first = shell(command);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("\nexit 0"), std::string::npos) << first.output;
    EXPECT_EQ(values(first.output, "title"), std::vector<std::string>{DawnTitle}) << first.output;
    EXPECT_EQ(values(first.output, "size"), std::vector<std::string>{"634x115"}) << first.output;
    const std::string ini = config + "/corvale/corvale.ini";
    ASSERT_TRUE(fs::exists(ini)) << first.output;
    EXPECT_FALSE(fs::exists(lib / "corvale.ini"));
    EXPECT_TRUE(fs::exists(config + "/corvale/color/mono.kcl"));

    // The user hides the analyser and removes a scheme; a second start keeps both.
    std::string settings = TempDir::read(ini);
    const std::size_t at = settings.find("\r\nSpeana=0\r\n");
    ASSERT_NE(at, std::string::npos) << settings;
    settings.replace(at, 12, "\r\nSpeana=255\r\n");
    work.write("home/.config/corvale/corvale.ini", settings);
    fs::remove(config + "/corvale/color/mono.kcl");

    const auto second = shell(command);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(values(second.output, "size"), std::vector<std::string>{"377x115"}) << second.output;
    EXPECT_NE(TempDir::read(ini).find("\r\nSpeana=255\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(config + "/corvale/color/mono.kcl"));
}

// ---------------------------------------------------------------- Debian package

// cpack in the build tree: everything under /usr, Depends found from the
// linked libraries, the metadata (desktop entry too) accepted by the tools that read it.
TEST(PackageTest, DebianPackageHoldsTheProgramAndValidMetadata) {
    for (const char *tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "appstreamcli", "man"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    TempDir work;
    const auto pack = shell("cd " + shellWord(work.path()) + " && cpack -G DEB --config " +
                            shellWord(CORVALE_BINARY_DIR "/CPackConfig.cmake") + " -B " + shellWord(work.path()));
    ASSERT_EQ(pack.exitCode, 0) << pack.output;
    const std::string deb = shellWord(work.path()) + "corvale_" CORVALE_VERSION "_*.deb";
    EXPECT_EQ(shell("dpkg-deb -c " + deb + " | awk '{print $6}' | grep -v '^./usr/'").output, "");
    const std::string depends = shell("dpkg-deb -f " + deb + " Depends").output;
    for (const char *package : {"libqt6widgets6", "libmpg123-0", "libsndfile1", "libsdl2-2.0-0"})
        EXPECT_NE(depends.find(std::string(package) + " ("), std::string::npos) << package << " in " << depends;

    const std::string root = work.file("root"), usr = root + "/usr/";
    ASSERT_EQ(shell("dpkg-deb -x " + deb + " " + shellWord(root)).exitCode, 0);
    EXPECT_EQ(TempDir::read(usr + "lib/corvale/libvbmp3.so"), TempDir::read(CORVALE_PROGRAM_DIR "/libvbmp3.so"));
    EXPECT_EQ(fs::read_symlink(usr + "bin/corvale"), "../lib/corvale/corvale");
    EXPECT_TRUE(fs::exists(usr + "lib/corvale/LICENSE"));
    EXPECT_NE(TempDir::read(usr + "share/icons/hicolor/scalable/apps/corvale.svg").find("<svg"), std::string::npos);
    if (onPath("desktop-file-validate")) {
        EXPECT_EQ(shell("desktop-file-validate " + shellWord(usr + "share/applications/corvale.desktop")).output, "");
    }
    const auto appstream = shell("appstreamcli validate --no-net " +
                                 shellWord(usr + "share/metainfo/io.github.corvale.Corvale.metainfo.xml"));
    EXPECT_EQ(appstream.exitCode, 0) << appstream.output;
    EXPECT_EQ(shell("man -l --warnings " + shellWord(usr + "share/man/man1/corvale.1.gz") + " 2>&1 >/dev/null").output,
              "");
    EXPECT_NE(TempDir::read(usr + "share/doc/corvale/copyright").find(" GNU GENERAL PUBLIC LICENSE\n"),
              std::string::npos);
}
