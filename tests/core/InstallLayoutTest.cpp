// An installed copy told from a build tree; its data found under any prefix.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/InstallLayout.h"
#include "tests/support/TestSupport.h"

namespace zorva::core {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kBases = {"BazaDan1.zdb", "BazaDan2.zdb", "BazaDan3.zdb"};

// ---------------------------------------------------------------- installed or not

// The system's own folders, by whole path components.
TEST(InstallLayout, SystemPrefixesAreInstalledFolders) {
    EXPECT_TRUE(IsInstalledProgramFolder("/usr/bin"));
    EXPECT_TRUE(IsInstalledProgramFolder("/usr/local/bin/"));
    EXPECT_TRUE(IsInstalledProgramFolder("/opt/zorva/bin"));
    EXPECT_TRUE(IsInstalledProgramFolder("/bin"));
    // Names that merely begin like a system folder, and a path that only
    // passes through one, are not.
    EXPECT_FALSE(IsInstalledProgramFolder("/usrdata/build/bin"));
    EXPECT_FALSE(IsInstalledProgramFolder("/optimal/bin"));
    EXPECT_FALSE(IsInstalledProgramFolder("/usr/../srv/zorva/build/bin"));
    EXPECT_FALSE(IsInstalledProgramFolder(""));
}

// A package unpacked under any root (dpkg -x, cmake --install --prefix ~/z)
// is an installed copy by its layout; a build tree beside it is not.
TEST(InstallLayout, APrefixWithTheDataFolderIsInstalled) {
    test::TempDir dir;
    fs::create_directories(dir.file("root/usr/bin"));
    fs::create_directories(dir.file("root/usr/share/zorva"));
    fs::create_directories(dir.file("build/bin"));
    EXPECT_TRUE(IsInstalledProgramFolder(dir.file("root/usr/bin")));
    EXPECT_EQ(InstalledDataFolder(dir.file("root/usr/bin")), dir.file("root/usr/share/zorva"));
    EXPECT_FALSE(IsInstalledProgramFolder(dir.file("build/bin")));
    EXPECT_EQ(InstalledDataFolder(dir.file("build/bin")), "");
}

// ---------------------------------------------------------------- data folder

// Files beside the executable win; else the installed data folder; else the
// program's folder, so the reader names what is missing where it looked.
TEST(InstallLayout, DataIsReadBesideTheExecutableFirst) {
    test::TempDir dir;
    const std::string bin = dir.file("usr/bin"), share = dir.file("usr/share/zorva");
    fs::create_directories(bin);
    EXPECT_EQ(DataFolder(bin, kBases), bin);  // nothing anywhere
    fs::create_directories(share);
    EXPECT_EQ(DataFolder(bin, kBases), bin);  // an empty data folder
    test::WriteBytes(share + "/BazaDan2.zdb", {});
    EXPECT_EQ(DataFolder(bin, kBases), share);
    EXPECT_EQ(DataFolder(bin + "/", kBases), share);
    fs::create_directory(bin + "/BazaDan1.zdb");  // a folder by that name is no base
    EXPECT_EQ(DataFolder(bin, kBases), share);
    test::WriteBytes(bin + "/BazaDan3.zdb", {});
    EXPECT_EQ(DataFolder(bin, kBases), bin);
}

}  // namespace
}  // namespace zorva::core
