// The built program on a desktop: --help and --version without a display,
// a tone played and the player quit, a second start handing its paths to the running player, the demo playing
// with its lyrics, and an installed copy run by an unprivileged user that
// keeps its settings in its own folder. Each runs under Xvfb in a few seconds.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/SystemRun.h"
#include "vbmp3/AudioFixtures.h"

namespace fs = std::filesystem;
using SystemRun::countLogLines;
using SystemRun::onPath;
using SystemRun::shellWord;
using SystemRun::shell;
using SystemRun::values;

namespace {

const std::string DawnTitle = "夜明けのドライブ - Corvale";

bool demoBuilt() { return fs::exists(fs::path(CORVALE_PROGRAM_DIR) / "demo" / "demo.m3u"); }

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
    const QRgb bg = std::max_element(count.begin(), count.end(), [](auto &a, auto &b) { return a.second < b.second; })->first;
    int ink = 0;
    for (const auto &[c, n] : count)
        if (std::abs(qRed(c) - qRed(bg)) + std::abs(qGreen(c) - qGreen(bg)) + std::abs(qBlue(c) - qBlue(bg)) > 90) ink += n;
    return ink;
}

// The frequency of the left channel over the middle of its loud part (away
// from any fade), for an output rate of `rate`; its peak in `peak`.
double toneFrequency(const std::vector<float> &stereo, double rate, float &peak) {
    std::size_t first = 0, last = 0;
    peak = 0;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const float a = std::fabs(stereo[i]);
        if (a > 0.05f) {
            if (first == 0) first = i;
            last = i;
        }
        peak = std::max(peak, a);
    }
    if (last <= first + 2 * 4410) return 0;
    const std::size_t from = first + (last - first) / 4, to = last - (last - first) / 4;
    int crossings = 0;
    for (std::size_t i = from + 2; i < to; i += 2)
        if ((stereo[i - 2] < 0) != (stereo[i] < 0)) ++crossings;
    return crossings / 2.0 / (static_cast<double>((to - from) / 2) / rate);
}

// Why the program cannot be run under Xvfb with the demo here; empty when it can.
std::string xvfbRunMissing() {
    for (const char *tool : {"xvfb-run", "xdotool"})
        if (!onPath(tool)) return std::string(tool) + " is not installed";
    if (!demoBuilt()) return "the demo songs were not built (lame or twolame missing)";
    return {};
}

// play_and_quit.sh: the program in prog on `audio`, P, a second of sound into
// `out`, a screenshot into `shot`, the caption as "title=", Q.
SystemRun::Result playAndQuit(const std::string &prog, const std::string &audio, const std::string &out,
                              const std::string &shot) {
    return shell(xvfbRun() + "sh " + shellWord(CORVALE_SYSTEM_DIR "/play_and_quit.sh") + " " + shellWord(prog) + " " +
                 shellWord(audio) + " " + shellWord(out) + " " + shellWord(shot) + " " + shellWord(CORVALE_SCREEN_GRAB));
}

// True when the sound holds a 1 kHz tone at 44.1 or 48 kHz, whichever rate the
// library chose for the device.
bool holdsTheTone(const std::string &out) {
    float peak = 0;
    const std::vector<float> sound = SystemRun::readFloats(out);
    const double at441 = toneFrequency(sound, 44100, peak), at48 = toneFrequency(sound, 48000, peak);
    return peak > 0.2f && (std::fabs(at441 - 1000) < 20 || std::fabs(at48 - 1000) < 20);
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
    EXPECT_EQ(version.output, "Corvale 1.02 Build 0710\n");
    const auto help = shell(noDisplay + program + " --help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.output.rfind("Usage: corvale [FILE...]\n", 0), 0u) << help.output;
    EXPECT_NE(help.output.find("./-name"), std::string::npos);
}

// A generated MP3 on the command line, P, sound through SDL's disk driver, Q:
// the tone in the output, the log's start-up, play and unload lines in
// order, the rewritten settings file; keeps a screenshot.
TEST(PlayEndToEndTest, PlayThenQuitUnderXvfb) {
    for (const char *tool : {"xvfb-run", "xdotool", "lame"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    TempDir work;
    const std::string prog = SystemRun::copyProgram(work, {"corvale", "libvbmp3.so", "color"});
    // Three seconds of a 1 kHz sine, 44.1 kHz.
    const std::string wav = work.write("tone.wav", SystemRun::stereoWav(44100, 44100 * 3, [](uint32_t i) {
        return static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * i / 44100));
    }));
    const std::string mp3 = work.file("tone.mp3"), out = work.file("out.raw");
    ASSERT_EQ(shell("lame --quiet -b 192 " + shellWord(wav) + " " + shellWord(mp3)).exitCode, 0);
    const std::string shot = std::string(CORVALE_ARTIFACT_DIR) + "/corvale-e2e.png";
    fs::create_directories(CORVALE_ARTIFACT_DIR);
    fs::remove(shot);
    const auto run = playAndQuit(prog, mp3, out, shot);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("exit 0"), std::string::npos) << run.output;
    EXPECT_TRUE(holdsTheTone(out));

    // Start-up, play and unload, in that order.
    const std::vector<std::string> log = SystemRun::lines(TempDir::read(prog + "/debuglog.txt"));
    const std::vector<std::string> expected = {"MainFrm Called  - Main",     "Corvale Show    - MainForm",
                                               "MainFrm Enable  - Timer1",   "KRM1000 Called  - bytPlayListNewOpen",
                                               "MainFrm Called  - Command5", "KRM1000 Called  - bytPlayStart",
                                               "Corvale Unload  - Mainform", "KRC1000 Called  - bytSettingWrite"};
    std::size_t next = 0;
    for (const std::string &line : log)
        if (next < expected.size() && line.size() > 11 && line.substr(11) == expected[next]) ++next;
    EXPECT_EQ(next, expected.size()) << "missing from the log: " << (next < expected.size() ? expected[next] : "");

    // The settings file was written back whole.
    const std::vector<std::string> settings = SystemRun::lines(TempDir::read(prog + "/corvale.ini"));
    EXPECT_GE(settings.size(), 26u);
    EXPECT_NE(std::find(settings.begin(), settings.end(), "DebugMode=0"), settings.end());
    EXPECT_NE(std::find_if(settings.begin(), settings.end(), [](auto &l) { return l.rfind("PositionX=", 0) == 0; }),
              settings.end());
    EXPECT_TRUE(fs::exists(shot)) << "screenshot " << shot;
}

// For each compressed format, a list of a damaged file of that type and a
// tagged tone: the damaged one is passed over, the tone plays with its tags in
// the caption.
TEST(PlayEndToEndTest, CompressedFormatsPlayAfterADamagedFileOfTheirKind) {
    for (const char *tool : {"xvfb-run", "xdotool"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    TempDir work;
    const std::string prog = SystemRun::copyProgram(work, {"corvale", "libvbmp3.so", "color"});
    for (const fixtures::CompressedFile &format : fixtures::kCompressed) {
        SCOPED_TRACE(format.extension);
        const bool opus = format.format == fixtures::Compressed::Opus;
        const std::string tone = work.file(std::string("tone") + format.extension);
        ASSERT_TRUE(fixtures::writeCompressed(tone, {.rate = opus ? 48000 : 44100, .seconds = 3.0}, format.format,
                                              "トーン", "Artist"));
        // Random bytes; cut in half; only the headers.
        std::string damaged = TempDir::read(tone);
        damaged = format.format == fixtures::Compressed::Flac ? std::string(20000, '\x5A') + damaged.substr(4000, 20000)
                  : opus                                       ? damaged.substr(0, 300)
                                                               : damaged.substr(0, damaged.size() / 2);
        work.write(std::string("damaged") + format.extension, damaged);
        const std::string list =
            work.write("list.m3u", std::string("damaged") + format.extension + "\r\ntone" + format.extension + "\r\n");
        const std::string out = work.file("out.raw");
        std::filesystem::remove(out);
        const auto run = playAndQuit(prog, list, out, work.file("shot.png"));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("exit 0"), std::string::npos) << run.output;
        EXPECT_EQ(values(run.output, "title"), std::vector<std::string>{"トーン - Corvale"}) << run.output;
        EXPECT_TRUE(holdsTheTone(out));
    }
}

TEST_F(DesktopRunTest, SecondStartHandsItsPathsToTheRunningPlayer) {
    TempDir work;
    const std::string prog = copyProgram(work);
    fs::create_directories(work.file("run"));
    fs::permissions(work.file("run"), fs::perms::owner_all);
    const auto run = shell("XDG_RUNTIME_DIR=" + shellWord(work.file("run")) + " " + xvfbRun() + "sh " +
                           shellWord(CORVALE_SYSTEM_DIR "/forward_run.sh") + " " + shellWord(prog));
    ASSERT_EQ(run.exitCode, 0) << run.output;

    // Every later start ended by itself with 0, and so did the player.
    for (const char *line : {"second exit 0", "third exit 0", "fourth exit 0", "\nexit 0"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
    // The relative path, made absolute in the second start's folder, loaded;
    // the file handed over while playing was refused, as a drop is.
    EXPECT_EQ(values(run.output, "title"), (std::vector<std::string>{DawnTitle, DawnTitle})) << run.output;
    const std::string log = TempDir::read(prog + "/debuglog.txt");
    EXPECT_EQ(countLogLines(log, "MainFrm Called  - Form_OLEDragDrop"), 2) << log;
    EXPECT_EQ(countLogLines(log, "KRM1000 Called  - bytPlayListNewOpen"), 1) << log;
    // The socket went with the player.
    for (const auto &entry : fs::directory_iterator(work.file("run")))
        EXPECT_NE(entry.path().extension(), ".socket") << entry.path();
}

TEST_F(DesktopRunTest, DemoPlaysWithItsLyrics) {
    TempDir work;
    const std::string prog = copyProgram(work);
    const std::string out = work.file("out.raw"), before = work.file("before.png");
    const std::string after = std::string(CORVALE_ARTIFACT_DIR) + "/corvale-demo.png";
    fs::create_directories(CORVALE_ARTIFACT_DIR);
    fs::remove(after);
    const auto run = shell(xvfbRun() + "sh " + shellWord(CORVALE_SYSTEM_DIR "/demo_run.sh") + " " + shellWord(prog) + " " +
                           shellWord(out) + " " + shellWord(before) + " " + shellWord(after) + " " +
                           shellWord(CORVALE_SCREEN_GRAB));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("\nexit 0"), std::string::npos) << run.output;
    EXPECT_EQ(values(run.output, "title"), std::vector<std::string>{DawnTitle}) << run.output;

    // Sound: the synthesized song, not silence.
    const std::vector<float> sound = SystemRun::readFloats(out);
    ASSERT_GT(sound.size(), 48000u * 2 * 4) << run.output;
    double energy = 0;
    for (std::size_t i = sound.size() - 48000 * 2; i < sound.size(); ++i) energy += double(sound[i]) * sound[i];
    EXPECT_GT(std::sqrt(energy / (48000 * 2)), 0.02);

    // The lyrics line: empty as the song starts, a line of text after four seconds.
    const QImage first(QString::fromStdString(before)), second(QString::fromStdString(after));
    ASSERT_EQ(first.size(), QSize(634, 115)) << run.output;
    ASSERT_EQ(second.size(), QSize(634, 115)) << run.output;
    EXPECT_LT(lyricsInk(first), 10);
    EXPECT_GT(lyricsInk(second), 60);
}

// ---------------------------------------------------------------- installation

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::permissions(work.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
        prefix = work.path() + "prefix";
        const auto install = shell("cmake --install " + shellWord(CORVALE_BINARY_DIR) + " --prefix " + shellWord(prefix));
        ASSERT_EQ(install.exitCode, 0) << install.output;
    }
    TempDir work;
    std::string prefix;
};

TEST_F(InstallTest, LaysOutTheProgramFolderCommandAndDesktopEntry) {
    const fs::path lib = fs::path(prefix) / "lib/corvale";
    EXPECT_EQ(fs::read_symlink(fs::path(prefix) / "bin/corvale"), "../lib/corvale/corvale");
    EXPECT_TRUE(fs::is_regular_file(lib / "corvale"));
    EXPECT_TRUE(fs::exists(lib / "README.md"));
    // The library as built, so its size check passes.
    EXPECT_EQ(TempDir::read((lib / "libvbmp3.so").string()),
              TempDir::read(std::string(CORVALE_PROGRAM_DIR) + "/libvbmp3.so"));
    int schemes = 0;
    for (const auto &entry : fs::directory_iterator(lib / "color")) schemes += entry.path().extension() == ".kcl";
    EXPECT_GE(schemes, 1);
    if (demoBuilt()) {
        EXPECT_TRUE(fs::exists(lib / "demo/demo.m3u"));
    }

    const std::string entry = prefix + "/share/applications/corvale.desktop";
    const std::string text = TempDir::read(entry);
    for (const char *line : {"Exec=corvale %F\n", "Icon=corvale\n", "Categories=AudioVideo;Audio;Player;\n",
                             "MimeType=audio/mpeg;audio/x-wav;audio/flac;audio/x-flac;audio/ogg;audio/x-vorbis+ogg;"
                             "audio/x-opus+ogg;audio/opus;audio/x-mpegurl;\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    const std::string icon = TempDir::read(prefix + "/share/icons/hicolor/scalable/apps/corvale.svg");
    EXPECT_NE(icon.find("<svg"), std::string::npos);
    // (The package test validates the entry.)
}

TEST_F(InstallTest, UnprivilegedUserKeepsSettingsInTheirOwnFolder) {
    if (const std::string why = xvfbRunMissing(); !why.empty()) GTEST_SKIP() << why;
    const bool root = ::geteuid() == 0;
    // Root may write anywhere, so the program is run as nobody.
    if (root && (!onPath("setpriv") || shell("id nobody && getent group nogroup").exitCode != 0))
        GTEST_SKIP() << "setpriv or the user nobody is missing";

    const std::string home = work.path() + "home", config = home + "/config", run = work.path() + "run";
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
    const std::string command = "cd / && " + as + "env HOME=" + shellWord(home) + " XDG_CONFIG_HOME=" + shellWord(config) +
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
    work.write("home/config/corvale/corvale.ini", settings);
    fs::remove(config + "/corvale/color/mono.kcl");

    const auto second = shell(command);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(values(second.output, "size"), std::vector<std::string>{"377x115"}) << second.output;
    const std::vector<std::string> kept = SystemRun::lines(TempDir::read(ini));
    EXPECT_NE(std::find(kept.begin(), kept.end(), "Speana=255"), kept.end());
    EXPECT_FALSE(fs::exists(config + "/corvale/color/mono.kcl"));
    EXPECT_FALSE(fs::exists(lib / "corvale.ini"));
}

// ---------------------------------------------------------------- Debian package

// cpack in the build tree: the files of the package, Depends found from the
// linked libraries, and the metadata checked by the tools that read it.
TEST(PackageTest, DebianPackageHoldsTheProgramAndValidMetadata) {
    for (const char *tool : {"cpack", "dpkg-deb", "dpkg-shlibdeps", "appstreamcli", "desktop-file-validate", "man"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    TempDir work;
    const auto pack = shell("cd " + shellWord(work.path()) + " && cpack -G DEB --config " +
                            shellWord(CORVALE_BINARY_DIR "/CPackConfig.cmake") + " -B " + shellWord(work.path()));
    ASSERT_EQ(pack.exitCode, 0) << pack.output;
    std::string arch = shell("dpkg --print-architecture").output;
    arch.erase(arch.find_last_not_of('\n') + 1);
    const std::string deb = work.file("corvale_" CORVALE_VERSION "_" + arch + ".deb");
    ASSERT_TRUE(fs::exists(deb)) << pack.output;

    // Everything under /usr; nothing the program writes at run time.
    const std::string listed = shell("dpkg-deb -c " + shellWord(deb) + " | awk '{print $6 $7 $8}'").output;
    std::vector<std::string> files;
    for (std::size_t at = 0, end; (end = listed.find('\n', at)) != std::string::npos; at = end + 1)
        files.push_back(listed.substr(at, end - at));
    for (const char *path :
         {"./usr/bin/corvale->../lib/corvale/corvale", "./usr/lib/corvale/corvale", "./usr/lib/corvale/libvbmp3.so",
          "./usr/lib/corvale/color/mono.kcl", "./usr/share/applications/corvale.desktop",
          "./usr/share/icons/hicolor/scalable/apps/corvale.svg",
          "./usr/share/metainfo/io.github.corvale.Corvale.metainfo.xml", "./usr/share/man/man1/corvale.1.gz",
          "./usr/share/doc/corvale/copyright"})
        EXPECT_NE(std::find(files.begin(), files.end(), path), files.end()) << path;
    for (const std::string &file : files) {
        EXPECT_EQ(file.rfind("./usr/", 0), 0u) << file;
        EXPECT_EQ(file.find("corvale.ini"), std::string::npos) << file;
        EXPECT_EQ(file.find("debuglog"), std::string::npos) << file;
    }
    const std::string depends = shell("dpkg-deb -f " + shellWord(deb) + " Depends").output;
    for (const char *package : {"libc6", "libqt6widgets6", "libqt6dbus6", "libmpg123-0", "libsndfile1", "libsamplerate0",
                                "libfftw3-single3", "libsdl2-2.0-0"})
        EXPECT_NE(depends.find(std::string(package) + " ("), std::string::npos) << package << " in " << depends;

    const std::string root = work.file("root");
    ASSERT_EQ(shell("dpkg-deb -x " + shellWord(deb) + " " + shellWord(root)).exitCode, 0);
    // The engine library as built: the program checks its size.
    EXPECT_EQ(TempDir::read(root + "/usr/lib/corvale/libvbmp3.so"),
              TempDir::read(std::string(CORVALE_PROGRAM_DIR) + "/libvbmp3.so"));
    const auto appstream =
        shell("appstreamcli validate --no-net " + shellWord(root + "/usr/share/metainfo/io.github.corvale.Corvale.metainfo.xml"));
    EXPECT_EQ(appstream.exitCode, 0) << appstream.output;
    const auto desktop = shell("desktop-file-validate " + shellWord(root + "/usr/share/applications/corvale.desktop"));
    EXPECT_EQ(desktop.exitCode, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "");
    const std::string page = shellWord(root + "/usr/share/man/man1/corvale.1.gz");
    EXPECT_EQ(shell("man -l --warnings " + page + " >/dev/null").output, "");
    const auto manual = shell("MANWIDTH=80 man -l " + page);
    EXPECT_EQ(manual.exitCode, 0);
    for (const char *text : {"corvale [FILE...]", "--version", "~/.config/corvale/", "corvale.ini", "F12"})
        EXPECT_NE(manual.output.find(text), std::string::npos) << text << "\n" << manual.output;
    const std::string copyright = TempDir::read(root + "/usr/share/doc/corvale/copyright");
    EXPECT_NE(copyright.find("License: GPL-3+\n"), std::string::npos);
    EXPECT_NE(copyright.find(" GNU GENERAL PUBLIC LICENSE\n"), std::string::npos);
}
