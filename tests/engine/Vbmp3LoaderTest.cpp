#include <gtest/gtest.h>

#include <algorithm>

#include "engine/Vbmp3Loader.h"
#include "support/TempDir.h"

namespace {
bool lists(const std::vector<std::string> &names, const char *name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}
}  // namespace

TEST(Vbmp3Loader, LoadsFromProgramFolderAndLeavesMissingFunctionsNull) {
    Vbmp3Loader loader(FAKE_VBMP3_DIR);
    ASSERT_TRUE(loader.loaded()) << loader.error();
    EXPECT_EQ(loader.loadedFrom(), std::string(FAKE_VBMP3_DIR) + "/libvbmp3.so");
    const Vbmp3Api &api = loader.api();
    ASSERT_NE(api.vbmp3_getVersion, nullptr);
    ASSERT_NE(api.vbmp3_init, nullptr);
    api.vbmp3_init();
    EXPECT_EQ(api.vbmp3_getVersion(), 4242);  // really calls into the loaded library
    api.vbmp3_free();
    EXPECT_EQ(api.vbmp3_play, nullptr);
    EXPECT_EQ(api.vbmp3_open, nullptr);
    EXPECT_TRUE(lists(loader.missingFunctions(), "vbmp3_open"));
    EXPECT_FALSE(lists(loader.missingFunctions(), "vbmp3_init"));
}

TEST(Vbmp3Loader, FallsBackToTheSearchPath) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer runtime calls dlopen itself, so the test's run path is not searched";
#endif
    TempDir empty;  // a program folder without the library
    Vbmp3Loader loader(empty.path());
    ASSERT_TRUE(loader.loaded()) << loader.error();
    EXPECT_EQ(loader.loadedFrom(), "libvbmp3.so");
    EXPECT_NE(loader.api().vbmp3_getVersion, nullptr);
}

TEST(Vbmp3Loader, ReportsALibraryThatCannotBeLoaded) {
    TempDir dir;
    dir.write("libcorvale-broken.so", "not a shared library");
    for (const std::string &folder : {dir.path(), std::string()}) {
        Vbmp3Loader loader(folder, "libcorvale-broken.so");
        EXPECT_FALSE(loader.loaded());
        EXPECT_FALSE(loader.error().empty());
        EXPECT_EQ(loader.api().vbmp3_init, nullptr);
        EXPECT_EQ(loader.api().vbmp3_getVersion, nullptr);
    }
}
