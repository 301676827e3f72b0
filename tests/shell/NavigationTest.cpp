// Folder navigation: the "*.jpg" listing, its order, the neighbours and every way a step does nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/ImageFiles.h"
#include "shell/commands/Navigation.h"
#include "shell/text/FolderOrder.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

TEST(Navigation, JpgExtensionInAnyCaseButNotJpeg) {
    for (const char* name : {"a.jpg", "B.JPG", "c.Jpg", "d.e.f.jpg", ".jpg"})
        EXPECT_TRUE(HasJpgExtension(name)) << name;
    for (const char* name : {"a.jpeg", "b.jpg.png", "jpg", "c.jp", "d_jpg", "e.jpgx"})
        EXPECT_FALSE(HasJpgExtension(name)) << name;
}

TEST(Navigation, FolderOrderComparesCapitals) {
    // Case does not count ...
    EXPECT_TRUE(FolderOrderLess("a.jpg", "B.jpg"));
    EXPECT_TRUE(FolderOrderLess("A.jpg", "b.jpg"));
    // ... capitals are compared, so '_' (after 'Z') sorts after letters,
    // unlike a lower-case comparison.
    EXPECT_TRUE(FolderOrderLess("ab.jpg", "a_b.jpg"));
    // Cyrillic letters follow Latin ones and ignore case as well.
    EXPECT_TRUE(FolderOrderLess("z.jpg", "а.jpg"));
    EXPECT_TRUE(FolderOrderLess("а.jpg", "Б.jpg"));
    EXPECT_TRUE(FolderOrderLess("Ё.jpg", "ж.jpg") == FolderOrderLess("ё.jpg", "Ж.jpg"));
    // Names equal but for case are still ordered, by their bytes.
    EXPECT_TRUE(FolderOrderLess("A.jpg", "a.jpg"));
    EXPECT_FALSE(FolderOrderLess("a.jpg", "A.jpg"));
}

TEST(Navigation, ListingIsFilteredAndOrderedWhateverTheDirectoryOrder) {
    test::FakeHost host;
    const std::vector<std::string> raw = {"b.jpg", "A.JPG",  "a_b.jpg",   "ab.jpg", "Б.jpg",
                                          "а.jpg", "c.jpeg", "photo.png", "C.jpg",  "a.jpg"};
    const std::vector<std::string> expected = {"A.JPG", "a.jpg", "ab.jpg", "a_b.jpg",
                                               "b.jpg", "C.jpg", "а.jpg",  "Б.jpg"};
    host.lister = [&](const std::string&) { return raw; };
    EXPECT_EQ(ListJpegFiles(host, "/x/"), expected);
    host.lister = [&](const std::string&) {
        std::vector<std::string> reversed(raw.rbegin(), raw.rend());
        return reversed;
    };
    EXPECT_EQ(ListJpegFiles(host, "/x/"), expected);
}

TEST(Navigation, NeighboursWithoutWrapAround) {
    const std::vector<std::string> names = {"1.jpg", "2.JPG", "3.jpg"};
    EXPECT_EQ(Neighbour(names, "2.JPG", Direction::Next), "3.jpg");
    EXPECT_EQ(Neighbour(names, "2.JPG", Direction::Previous), "1.jpg");
    EXPECT_EQ(Neighbour(names, "3.jpg", Direction::Next), std::nullopt);
    EXPECT_EQ(Neighbour(names, "1.jpg", Direction::Previous), std::nullopt);
    // Byte for byte: another case is another name.
    EXPECT_EQ(Neighbour(names, "2.jpg", Direction::Next), std::nullopt);
    EXPECT_EQ(Neighbour({"only.jpg"}, "only.jpg", Direction::Next), std::nullopt);
    EXPECT_EQ(Neighbour({"only.jpg"}, "only.jpg", Direction::Previous), std::nullopt);
}

class NavigationTest : public ShellFixture {
protected:
    // A folder (with dots in its name) of pictures whose names say which one
    // they are: each is a BMP of `n` x 1 pixels, whatever its extension.
    void SetUp() override {
        ShellFixture::SetUp();
        folder = dir.path() + "/holiday.2024.d/";
        std::filesystem::create_directory(folder);
        int n = 1;
        for (const char* name : {"1.jpg", "2.JPG", "3.a.b.jpg", "4.jpeg", "5.png"}) Write(name, n++);
        std::filesystem::create_directory(folder + "6.jpg");  // a folder is no picture
    }
    void Write(const std::string& name, int width) {
        ASSERT_TRUE(core::WriteImageFile(folder + name, test::MakeSolid(uint32_t(width), 1, 0x808080).view()));
    }
    void OpenFile(const std::string& name) {
        host.openAnswers.push_back(folder + name);
        editor.dispatch(CommandId::Open);
        ASSERT_EQ(state().currentFilePath, folder + name);
    }
    int Width() { return editor.document().width(); }

    std::string folder;
};

TEST_F(NavigationTest, StepsThroughTheJpegFilesOfTheFolder) {
    OpenFile("2.JPG");
    editor.dispatch(CommandId::NextPhoto);
    EXPECT_EQ(state().currentFilePath, folder + "3.a.b.jpg");
    EXPECT_EQ(Width(), 3);
    editor.dispatch(CommandId::NextPhoto);  // the last: no wrap-around, jpeg and folders not listed
    EXPECT_EQ(Width(), 3);
    editor.dispatch(CommandId::PreviousPhoto);
    editor.dispatch(CommandId::PreviousPhoto);
    EXPECT_EQ(state().currentFilePath, folder + "1.jpg");
    editor.dispatch(CommandId::PreviousPhoto);  // the first
    EXPECT_EQ(state().currentFilePath, folder + "1.jpg");
    EXPECT_EQ(Width(), 1);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(NavigationTest, AStepInstallsInThePreviewAndKeepsThePaletteAndStatusBar) {
    OpenFile("1.jpg");
    state().viewMode = CommandId::SourceView;
    state().toolMode = tool::Pencil;
    editor.setStatus(4, "17");
    editor.takeSnapshot();
    const int repaints = host.repaints;
    editor.dispatch(CommandId::NextPhoto);
    EXPECT_EQ(Width(), 2);
    EXPECT_EQ(state().viewMode, CommandId::Preview);
    EXPECT_EQ(state().toolMode, tool::None);
    EXPECT_EQ(state().statusText[4], "17");
    EXPECT_GT(host.repaints, repaints);
    // The ring is empty: undo changes nothing.
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Width(), 2);
}

TEST_F(NavigationTest, ACurrentFileThatIsNotListedDoesNothing) {
    OpenFile("5.png");
    editor.dispatch(CommandId::NextPhoto);
    editor.dispatch(CommandId::PreviousPhoto);
    EXPECT_EQ(state().currentFilePath, folder + "5.png");
    EXPECT_EQ(Width(), 5);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(NavigationTest, AFolderWithoutJpegFilesSaysSoWithAQuestion) {
    const std::string other = dir.path() + "/other/";
    std::filesystem::create_directory(other);
    ASSERT_TRUE(core::WriteImageFile(other + "a.png", test::MakeSolid(7, 1, 0).view()));
    host.openAnswers.push_back(other + "a.png");
    editor.dispatch(CommandId::Open);
    editor.dispatch(CommandId::NextPhoto);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Нет Файлов изображения");
    EXPECT_EQ(host.messages[0].caption, "");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(Width(), 7);
}

TEST_F(NavigationTest, NothingWithoutADocument) {
    state().currentFilePath = folder + "1.jpg";
    editor.dispatch(CommandId::NextPhoto);
    editor.dispatch(CommandId::PreviousPhoto);
    EXPECT_FALSE(editor.hasDocument());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state().currentFilePath, folder + "1.jpg");
}

TEST_F(NavigationTest, AnUnreadableNeighbourKeepsTheDocumentAndThePath) {
    test::WriteBytes(folder + "1b.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
    OpenFile("1.jpg");
    editor.dispatch(CommandId::NextPhoto);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Не может загрузить файл");
    EXPECT_EQ(host.messages[0].caption, "zorva");
    EXPECT_EQ(Width(), 1);
    EXPECT_EQ(state().currentFilePath, folder + "1.jpg");
}

}  // namespace
}  // namespace zorva::shell
