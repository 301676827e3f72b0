// Open, New, Save, snapshots and undo through the editor's dispatcher.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/ImageFiles.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "tests/support/FakeHost.h"
#include "tests/support/TestSupport.h"

namespace zorva::shell {
namespace {

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.reserveArena()); }

    // Writes a picture file and opens it through the Open command.
    void OpenPicture(const core::BmpImage& image, const std::string& name = "pic.bmp") {
        const std::string path = dir.file(name);
        ASSERT_TRUE(core::WriteImageFile(path, image.view()));
        host.openAnswers.push_back(path);
        editor.dispatch(CommandId::Open);
    }
    uint32_t Colour() const { return test::Rgb(editor.document(), 1, 1); }
    void Paint(uint32_t rgb) {
        const core::MutableBmpView v = editor.document();
        for (uint32_t r = 0; r < v.height(); ++r)
            for (uint32_t x = 0; x < v.width(); ++x) v.set(x, r, rgb);
    }

    test::TempDir dir;
    test::FakeHost host;
    Editor editor{host, dir.path()};
};

TEST_F(EditorTest, NothingButNewOpenAndTheAlwaysOnItemsActWithoutADocument) {
    for (CommandId id : {CommandId::Save, CommandId::Undo, CommandId::Redo, CommandId::Print, CommandId::Zoom,
                         CommandId::SvgExport, CommandId::NextPhoto})
        editor.dispatch(id);
    EXPECT_FALSE(editor.hasDocument());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(editor.state().toolMode, tool::NoDocument);
    editor.dispatch(CommandId::CopyMode);  // never greyed
    EXPECT_TRUE(editor.state().copyMode);
}

TEST_F(EditorTest, NewMakesTheWhitePictureInTheSourceView) {
    editor.state().currentFilePath = "/somewhere/photo.jpg";
    editor.dispatch(CommandId::New);
    ASSERT_TRUE(editor.hasDocument());
    const core::BmpImage expected = core::BmpImage::New();
    EXPECT_TRUE(test::SameBytes(expected.data(), core::kNewBlockSize, editor.document().data(), core::kNewBlockSize));
    EXPECT_EQ(editor.state().viewMode, CommandId::SourceView);
    EXPECT_EQ(editor.state().toolMode, tool::None);
    EXPECT_EQ(editor.state().currentFilePath, "/somewhere/photo.jpg");  // New keeps the path
    EXPECT_EQ(editor.arena().imageBlockSize(), 2080856u);
    EXPECT_EQ(editor.state().statusText[0], "Координаты:");
    EXPECT_EQ(editor.state().statusText[7], "Площадь");
}

TEST_F(EditorTest, OpenInstallsInPreviewAndSaveWritesTheBlockByteForByte) {
    const core::BmpImage image = test::MakeImage(5, 3, [](uint32_t x, uint32_t r) { return x * 40 + r * 0x10000; });
    OpenPicture(image);
    ASSERT_TRUE(editor.hasDocument());
    EXPECT_EQ(editor.state().viewMode, CommandId::Preview);
    EXPECT_EQ(editor.state().currentFilePath, dir.file("pic.bmp"));
    const std::string out = dir.file("Сохранено без расширения");
    host.saveAnswers.push_back(out);
    editor.dispatch(CommandId::Save);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(editor.state().currentFilePath, out);
    EXPECT_TRUE(test::SameBytes(test::ReadBytes(dir.file("pic.bmp")), test::ReadBytes(out)));
}

TEST_F(EditorTest, FailedLoadsKeepTheDocumentAndThePath) {
    OpenPicture(test::MakeSolid(4, 4, 0x010203));
    const std::string path = editor.state().currentFilePath;
    test::WriteBytes(dir.file("broken.bmp"), {'B', 'M', 1, 2, 3});
    host.openAnswers.push_back(dir.file("broken.bmp"));
    editor.dispatch(CommandId::Open);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Не может загрузить файл");
    EXPECT_EQ(host.messages[0].caption, "zorva");
    EXPECT_EQ(Colour(), 0x010203u);
    EXPECT_EQ(editor.state().currentFilePath, path);
    // Cancelling the dialog afterwards changes nothing either.
    host.openAnswers.push_back(std::nullopt);
    editor.dispatch(CommandId::Open);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(Colour(), 0x010203u);
}

TEST_F(EditorTest, PicturesTooLargeForTheArenaAreRefusedWithTheirOwnMessage) {
    OpenPicture(test::MakeSolid(2, 2, 0x0000FF));
    // A picture wider than the 16-bit stride allows.
    OpenPicture(test::MakeSolid(21845, 1, 0), "wide.bmp");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Изображение слишком велико");
    EXPECT_EQ(editor.document().width(), 2);
}

// The title names the picture and marks unsaved changes; whatever the
// sequence of effects, undo, redo and saves, the mark says exactly whether
// the pixels differ from what was opened or last saved.
TEST_F(EditorTest, TitleMarksUnsavedChangesExactly) {
    EXPECT_EQ(editor.windowTitle(), "zorva");
    OpenPicture(test::MakeImage(6, 4, [](uint32_t x, uint32_t r) { return x * 30 + r * 0x1000; }), "фото.bmp");
    EXPECT_EQ(host.title, "фото.bmp — Zorva");
    editor.dispatch(CommandId::Negative);
    EXPECT_EQ(host.title, "*фото.bmp — Zorva");
    editor.dispatch(CommandId::Undo);  // back to the opened picture
    EXPECT_EQ(host.title, "фото.bmp — Zorva");
    editor.dispatch(CommandId::Redo);
    EXPECT_EQ(host.title, "*фото.bmp — Zorva");

    core::BmpImage saved = test::ReadBmp24(dir.file("фото.bmp"));
    std::mt19937 random(20);
    for (int step = 0; step < 60; ++step) {
        switch (random() % 5) {
            case 0:
                editor.dispatch(CommandId::Negative);
                break;
            case 1:
                editor.dispatch(CommandId::Greyscale);
                break;
            case 2:
                editor.dispatch(CommandId::Undo);
                break;
            case 3:
                editor.dispatch(CommandId::Redo);
                break;
            case 4:
                host.saveAnswers.push_back(dir.file("saved.bmp"));
                editor.dispatch(CommandId::Save);
                saved = test::ReadBmp24(dir.file("saved.bmp"));
                EXPECT_EQ(host.title, "saved.bmp — Zorva");
                break;
        }
        EXPECT_EQ(editor.state().unsavedChanges, !test::SamePixels(saved.view(), editor.document())) << step;
        EXPECT_EQ(host.title.starts_with('*'), editor.state().unsavedChanges);
    }
    // A new picture has no name and nothing to save.
    host.changeAnswers = {SaveChoice::Discard};
    editor.dispatch(CommandId::New);
    EXPECT_EQ(host.title, "Без имени — Zorva");
    EXPECT_EQ(host.remembered.back(), dir.file("saved.bmp"));
}

// "Сохранить изменения?" before New and Open replace a changed picture:
// Отмена keeps it; Да saves through the save dialog (a cancelled or failed
// save keeps it too); Нет lets it go. An unchanged picture is not asked about.
TEST_F(EditorTest, UnsavedChangesAreAskedAboutBeforeNewAndOpen) {
    OpenPicture(test::MakeSolid(4, 4, 0x102030));
    host.openAnswers.push_back(dir.file("pic.bmp"));
    editor.dispatch(CommandId::Open);
    EXPECT_TRUE(host.questions.empty());
    editor.dispatch(CommandId::Negative);
    for (CommandId id : {CommandId::New, CommandId::Open}) {
        host.changeAnswers = {SaveChoice::Cancel};
        editor.dispatch(id);
        host.changeAnswers = {SaveChoice::Save};
        host.saveAnswers.push_back(std::nullopt);  // the save dialog cancelled
        editor.dispatch(id);
        host.changeAnswers = {SaveChoice::Save};
        host.saveAnswers.push_back(dir.file("no/such/folder/x.bmp"));  // the write fails
        editor.dispatch(id);
        EXPECT_EQ(editor.document().width(), 4);
        EXPECT_TRUE(editor.state().unsavedChanges);
    }
    EXPECT_EQ(host.questions, std::vector<std::string>(6, "Сохранить изменения?"));
    EXPECT_EQ(host.openAnswers.size(), 0u);  // the open dialog never came
    // Да, and the save lands: the new picture follows.
    host.changeAnswers = {SaveChoice::Save};
    host.saveAnswers.push_back(dir.file("kept.bmp"));
    editor.dispatch(CommandId::New);
    EXPECT_EQ(editor.document().width(), 1020);
    EXPECT_EQ(test::Rgb(test::ReadBmp24(dir.file("kept.bmp")).view(), 0, 0), 0xEFDFCFu);
    // Нет: the open dialog, and the change is gone.
    editor.dispatch(CommandId::Negative);
    host.changeAnswers = {SaveChoice::Discard};
    host.openAnswers.push_back(dir.file("kept.bmp"));
    editor.dispatch(CommandId::Open);
    EXPECT_EQ(editor.document().width(), 4);
    EXPECT_FALSE(editor.state().unsavedChanges);
    EXPECT_EQ(host.questions.size(), 8u);
}

TEST_F(EditorTest, SaveFailureIsReportedWithTheExclamationIcon) {
    editor.dispatch(CommandId::New);
    host.saveAnswers.push_back(dir.file("no/such/folder/x.bmp"));
    editor.dispatch(CommandId::Save);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Нельзя записать файл");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(EditorTest, SnapshotKeepsTheToolAndUndoRestoresTheSavedTool) {
    OpenPicture(test::MakeSolid(3, 3, 0x111111));
    editor.state().toolMode = tool::Brush;
    editor.takeSnapshot();
    EXPECT_EQ(editor.state().toolMode, tool::Brush);
    EXPECT_EQ(editor.state().savedTool, tool::Brush);
    // The mask is white after every snapshot.
    EXPECT_EQ(editor.arena().mask().data()[54], 0xFF);
    Paint(0x222222);
    editor.state().toolMode = tool::None;
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Colour(), 0x111111u);
    EXPECT_EQ(editor.state().toolMode, tool::Brush);
    editor.dispatch(CommandId::Redo);
    EXPECT_EQ(Colour(), 0x222222u);
}

TEST_F(EditorTest, ASelectionOnThePictureTakesNoSnapshot) {
    OpenPicture(test::MakeSolid(3, 3, 0));
    editor.state().toolMode = tool::SelectionFloating;
    editor.takeSnapshot();
    EXPECT_EQ(editor.undoRing().index(), 0);
    EXPECT_EQ(editor.state().toolMode, tool::SelectionFloating);
    // A selection tool's snapshot raises the outline flag.
    editor.state().toolMode = tool::RectangleSelection;
    editor.takeSnapshot();
    EXPECT_EQ(editor.state().outlineFlags & 0x10, 0x10);
}

TEST_F(EditorTest, UndoWithAnEmptyRingStillRestoresTheSavedTool) {
    OpenPicture(test::MakeSolid(3, 3, 0x333333));
    editor.state().toolMode = tool::Line;
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(editor.state().toolMode, 0);  // SavedTool of a fresh install
    EXPECT_EQ(Colour(), 0x333333u);
}

TEST_F(EditorTest, OpeningAnotherPictureEmptiesTheRing) {
    OpenPicture(test::MakeSolid(3, 3, 0x010101));
    editor.takeSnapshot();
    Paint(0x020202);
    OpenPicture(test::MakeSolid(6, 2, 0x030303), "second.bmp");
    editor.dispatch(CommandId::Undo);
    editor.dispatch(CommandId::Redo);
    EXPECT_EQ(editor.document().width(), 6);
    EXPECT_EQ(Colour(), 0x030303u);
}

TEST_F(EditorTest, AnUnwritableSnapshotIsNeverLostSilently) {
    OpenPicture(test::MakeSolid(3, 3, 0x0A0A0A));
    editor.undoRing().setFolder(dir.file("vanished"));
    editor.takeSnapshot();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Не удалось сохранить шаг отмены");
    Paint(0x0B0B0B);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Colour(), 0x0B0B0Bu);  // no stale picture comes back
}

TEST_F(EditorTest, CheckGroupsAndTheirValues) {
    editor.dispatch(CommandId::New);
    editor.dispatch(CommandId::Line3);
    EXPECT_EQ(editor.state().lineWidth, 3);
    EXPECT_EQ(editor.state().checkedLine, CommandId::Line3);
    EXPECT_EQ(editor.state().penSize, 4);  // pencil not chosen: PenSize stays
    editor.state().toolMode = tool::Pencil;
    editor.dispatch(CommandId::Line2);
    EXPECT_EQ(editor.state().penSize, 2);
    editor.state().toolMode = tool::Eraser;
    editor.dispatch(CommandId::EraserMedium);
    EXPECT_EQ(editor.state().eraserSize, 6);
    EXPECT_EQ(editor.state().penSize, 6);
    editor.dispatch(CommandId::EraserSmall);
    EXPECT_EQ(editor.state().eraserSize, 4);
    const std::pair<CommandId, int> grids[] = {{CommandId::GridOff, 0}, {CommandId::Grid4, 4},
                                               {CommandId::Grid8, 8},   {CommandId::Grid16, 16},
                                               {CommandId::Grid32, 32}, {CommandId::Grid64, 64}};
    for (const auto& [id, step] : grids) {
        editor.dispatch(id);
        EXPECT_EQ(editor.state().gridStep, step);
        EXPECT_EQ(editor.state().checkedGrid, id);
    }
}

}  // namespace
}  // namespace zorva::shell

namespace zorva::shell {
namespace {

TEST(SymbolBases, MissingBasesAreReportedInOrderAndStartUpGoesOn) {
    test::TempDir dir;
    test::FakeHost host;
    Editor editor(host, dir.path());
    // Base 2 exists: 1600 bytes hold three whole records and a tail that is ignored.
    std::vector<uint8_t> bytes(1600, 0);
    bytes[512] = 7;
    test::WriteBytes(dir.file("BazaDan2.zdb"), bytes);
    editor.loadSymbolBases(dir.path());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "База символов BazaDan1.zdb не загружена!");
    EXPECT_EQ(host.messages[0].caption, "zorva");
    EXPECT_EQ(host.messages[1].text, "База символов BazaDan3.zdb не загружена!");
    EXPECT_EQ(editor.symbolBases()[0].count, 0u);
    EXPECT_EQ(editor.symbolBases()[1].count, 3u);
    EXPECT_EQ(editor.symbolBases()[1].record(1)[0], 7);
    EXPECT_TRUE(editor.reserveArena());
}

TEST(SymbolBases, ABaseLargerThanItsCapacityKeepsTheFirstRecords) {
    const std::vector<uint8_t> bytes(512 * 70 + 5, 1);
    const recognize::SymbolBase base = recognize::ParseBase(bytes, 60);
    EXPECT_EQ(base.count, 60u);
    EXPECT_EQ(base.records.size(), 60u * 512);
    EXPECT_EQ(recognize::ParseBase(std::span(bytes).first(1600), 60).count, 3u);  // the 64-byte tail is ignored
}

}  // namespace
}  // namespace zorva::shell
