// The window's own commands: colour, printing, help, about, the language items and the do-nothing items.
#include <gtest/gtest.h>

#include "shell/commands/Help.h"
#include "shell/view/View.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

class WindowCommandsTest : public ShellFixture {};

// ---- colour ----

TEST_F(WindowCommandsTest, TheChosenColourIsShownBlueFirst) {
    Install(10, 10);
    host.colourAnswers.push_back(Colour{255, 0, 0});
    editor.dispatch(CommandId::Colour);
    EXPECT_EQ(state().drawRed, 255);
    EXPECT_EQ(state().drawGreen, 0);
    EXPECT_EQ(state().drawBlue, 0);
    EXPECT_EQ(state().statusText[6], "0000FF");
}

TEST_F(WindowCommandsTest, CancellingTheColourDialogKeepsTheColour) {
    Install(10, 10);
    state().drawGreen = 0x80;
    host.colourAnswers.push_back(std::nullopt);
    editor.dispatch(CommandId::Colour);
    EXPECT_EQ(host.colourDialogs, 1);
    EXPECT_EQ(state().drawGreen, 0x80);
    EXPECT_EQ(state().drawRed, 0);
    EXPECT_EQ(state().statusText[6], "");  // not rewritten
}

TEST_F(WindowCommandsTest, NoColourDialogWithoutADocument) {
    editor.dispatch(CommandId::Colour);
    EXPECT_EQ(host.colourDialogs, 0);
}

// ---- printing ----

TEST_F(WindowCommandsTest, ACancelledPrintDialogSaysThePrinterIsUnavailable) {
    Install(10, 10);
    editor.dispatch(CommandId::Print);  // the fake has no page: cancelled
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Принтер не доступен");
    EXPECT_EQ(host.messages[0].caption, "zorva");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(host.printJobs, std::vector<std::string>{"Видео: Печатаем"});
}

TEST_F(WindowCommandsTest, AFailedJobSaysThePrinterCannotPrint) {
    Install(10, 10);
    host.pageSize = std::pair{1000, 1400};
    host.printResult = PrintStatus::Failed;
    editor.dispatch(CommandId::Print);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Принтер не может распечатать рисунок");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(WindowCommandsTest, ThePreviewPrintsFittedIntoThePageLessFiftyAndEndsTheTool) {
    Install(400, 300);
    state().toolMode = tool::Brush;
    host.pageSize = std::pair{2050, 3000};
    editor.dispatch(CommandId::Print);
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(host.printedPlans.size(), 1u);
    const PaintPlan& plan = host.printedPlans[0];
    EXPECT_TRUE(plan.smooth);
    // 400 x 300 into 2000 x 3000: scale 5, centred on (1025, 1500).
    EXPECT_EQ(plan.dest, (Rect{25, 750, 2000, 1500}));
    EXPECT_EQ(state().toolMode, tool::None);
}

TEST_F(WindowCommandsTest, TheSourceViewPrintsWithTheScreensViewRectangle) {
    Install(400, 300, InstallKind::New);
    state().toolMode = tool::Brush;
    host.pageSize = std::pair{2050, 3000};
    editor.dispatch(CommandId::Print);
    ASSERT_EQ(host.printedPlans.size(), 1u);
    EXPECT_EQ(host.printedPlans[0].dest, (Rect{25, 0, state().layout.viewWidth, state().layout.viewHeight}));
    EXPECT_EQ(host.printedPlans[0].sourceWidth, state().layout.viewWidth);
    EXPECT_EQ(state().toolMode, tool::Brush);
}

TEST_F(WindowCommandsTest, NothingIsPrintedWithoutADocument) {
    editor.dispatch(CommandId::Print);
    EXPECT_TRUE(host.printJobs.empty());
    EXPECT_TRUE(host.messages.empty());
}

// ---- help, about, language ----

TEST_F(WindowCommandsTest, NineHelpBoxesWithTheirCaptionsAndNoIcon) {
    const std::pair<CommandId, std::string_view> captions[] = {
        {CommandId::HelpFile, " Помощь - Файл "},
        {CommandId::HelpEdit, " Помощь - Правка"},
        {CommandId::HelpView, " Помощь - Вид"},
        {CommandId::HelpPicture, " Помощь - Рисунок"},
        {CommandId::HelpEffects, " Помощь - Эффект"},
        {CommandId::HelpSegmentation, " Помощь - Сегментация"},
        {CommandId::HelpRecognition, " Помощь - Распознавание"},
        {CommandId::HelpWindow, " Помощь - Окно"},
        {CommandId::HelpTools, " Помощь - Панель инструментов"},
    };
    for (const auto& [id, caption] : captions) {
        host.messages.clear();
        editor.dispatch(id);  // no document needed
        ASSERT_EQ(host.messages.size(), 1u) << ToInt(id);
        EXPECT_EQ(host.messages[0].caption, caption);
        EXPECT_EQ(host.messages[0].icon, MessageIcon::None);
        EXPECT_GT(host.messages[0].text.size(), 60u) << ToInt(id);
    }
    EXPECT_EQ(HelpTopics().size(), 9u);
}

TEST_F(WindowCommandsTest, HelpTextsCoverTheirTopics) {
    auto text = [](CommandId id) { return std::string(FindHelpTopic(id)->text); };
    for (const char* format : {".bmp", ".jpg", ".jpe", ".jpeg", ".png", ".tif", ".ico", ".gif", ".rle"})
        EXPECT_NE(text(CommandId::HelpFile).find(format), std::string::npos) << format;
    EXPECT_NE(text(CommandId::HelpEdit).find("15"), std::string::npos);
    EXPECT_NE(text(CommandId::HelpView).find("\"Исходное изображение\""), std::string::npos);
    EXPECT_NE(text(CommandId::HelpRecognition).find("1avto_num.txt"), std::string::npos);
    EXPECT_NE(text(CommandId::HelpRecognition).find("Внутри силуэтов не должно быть сегментов"), std::string::npos);
    for (int k = 1; k <= 14; ++k)
        EXPECT_NE(text(CommandId::HelpTools).find(std::to_string(k) + ". "), std::string::npos) << k;
}

TEST_F(WindowCommandsTest, AboutBoxNamesProgramAndVersion) {
    editor.dispatch(CommandId::AboutBox);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, " О программе ");
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Information);
    EXPECT_NE(host.messages[0].text.find("Zorva"), std::string::npos);
    EXPECT_NE(host.messages[0].text.find("v1.0.5"), std::string::npos);
}

TEST_F(WindowCommandsTest, EnglishInvitesToStudyRussianInFourLinesOfVerse) {
    editor.dispatch(CommandId::English);
    ASSERT_EQ(host.messages.size(), 1u);
    const test::Message& m = host.messages[0];
    EXPECT_EQ(m.caption, " English ");
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    ASSERT_EQ(m.text.rfind("      Study Russian!     \n", 0), 0u);
    int lines = 0;
    for (size_t at = m.text.find('\n'); at != std::string::npos; at = m.text.find('\n', at + 1))
        if (at + 1 < m.text.size() && m.text[at + 1] != '\n') ++lines;
    EXPECT_EQ(lines, 4);
    EXPECT_FALSE(state().copyMode);
}

TEST_F(WindowCommandsTest, RussianAndCloseDoNothing) {
    Install(10, 10);
    const EditorState before = state();
    const int repaints = host.repaints;
    editor.dispatch(CommandId::Russian);
    editor.dispatch(CommandId::Close);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.repaints, repaints);
    EXPECT_TRUE(editor.hasDocument());
    EXPECT_EQ(state().viewMode, before.viewMode);
    EXPECT_EQ(state().toolMode, before.toolMode);
}

}  // namespace
}  // namespace zorva::shell
