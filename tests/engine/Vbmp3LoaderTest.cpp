// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/Vbmp3Loader.h"
#include "support/TempDir.h"

TEST(Vbmp3Loader, LoadsFromProgramFolderAndLeavesMissingFunctionsNull) {
    Vbmp3Loader loader(FAKE_VBMP3_DIR);
    ASSERT_TRUE(loader.loaded()) << loader.error();
    const Vbmp3Api &api = loader.api();
    ASSERT_NE(api.vbmp3_init, nullptr);
    api.vbmp3_init();
    EXPECT_EQ(api.vbmp3_getVersion(), 4242);  // really calls into the loaded library
    api.vbmp3_free();
    EXPECT_EQ(api.vbmp3_open, nullptr);
    const auto &missing = loader.missingFunctions();
    EXPECT_NE(std::find(missing.begin(), missing.end(), "vbmp3_open"), missing.end());
}

TEST(Vbmp3Loader, ReportsALibraryThatCannotBeLoaded) {
    TempDir dir;
    dir.write("libcorvale-broken.so", "not a shared library");
    for (const std::string &folder : {dir.path(), std::string()}) {
        Vbmp3Loader loader(folder, "libcorvale-broken.so");
        EXPECT_FALSE(loader.loaded());
        EXPECT_FALSE(loader.error().empty());
        EXPECT_EQ(loader.api().vbmp3_init, nullptr);
    }
}
