// The effect commands as a user meets them: the previewing dialogs step by step, undo, marks and timing, zorva-cli.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "core/ImageFiles.h"
#include "effects/Blur.h"
#include "effects/Sobel.h"
#include "effects/Tone.h"
#include "shell/cli/Cli.h"
#include "shell/cli/CliOps.h"
#include "shell/commands/EffectCommands.h"
#include "shell/input/Gesture.h"
#include "shell/input/Tools.h"
#include "tests/shell/ShellFixture.h"

namespace zorva::shell {
namespace {

// A picture with every kind of pixel the effects treat differently.
core::BmpImage Colourful(uint32_t width, uint32_t height) {
    return test::MakeImage(width, height, [](uint32_t x, uint32_t r) {
        if ((x + r) % 7 == 0) return 0xFFFFFFu;
        return (x * 37 + r * 11) % 256 << 16 | (x * 5 + r * 71) % 256 << 8 | (x * r * 13) % 256;
    });
}

class EffectCommandsTest : public ShellFixture {
protected:
    void Use(core::BmpImage image) {
        editor.install(std::move(image), InstallKind::Open);
        original = Bytes();
    }
    std::vector<uint8_t> Bytes() const {
        const core::BmpView d = editor.document();
        return {d.data(), d.data() + d.fileSize()};
    }
    // The picture `original` after a tone transfer, for comparing previews.
    std::vector<uint8_t> Toned(const effects::ToneTransfer& transfer) const {
        core::BmpImage image = core::BmpImage::Allocate(original.size());
        std::copy(original.begin(), original.end(), image.data());
        effects::ApplyTone(core::BmpView(original.data()), image.view(), transfer, effects::White::Opaque);
        return {image.data(), image.data() + original.size()};
    }
    DialogModel Open(const DialogCommand& command) {
        DialogModel dialog(*command.form, &editor, command.hooks, command.snapshot);
        dialog.open();
        return dialog;
    }
    std::vector<uint8_t> original;
};

// ---- CONTROLS ----

// A session on the tone dialog: nothing changes on opening; every slider
// move recomputes from the picture as it was (settings never accumulate);
// another channel brings its own sliders back without recomputing;
// "Отмена" undoes the whole session.
TEST_F(EffectCommandsTest, ToneDialogSession) {
    Use(Colourful(13, 7));
    const int ring = editor.undoRing().index();
    DialogModel dialog = Open(kToneCommand);
    EXPECT_EQ(Bytes(), original);
    EXPECT_EQ(editor.undoRing().index(), ring + 1);
    EXPECT_EQ(dialog.control(kEdit1)->text, "050");
    EXPECT_EQ(dialog.control(kEdit4)->text, "Все цвета");

    dialog.moveTrackbar(kTrackbar1, 60);
    dialog.moveTrackbar(kTrackbar1, 40);
    EXPECT_EQ(Bytes(), Toned(effects::MakeToneTransfer({40, 50, 50, 50}, {50, 50, 50, 50})));
    dialog.moveTrackbar(kChannelUpDown, 1);
    EXPECT_EQ(dialog.control(kEdit4)->text, "Красный");
    EXPECT_EQ(dialog.value(kTrackbar1), 50);
    EXPECT_EQ(Bytes(), Toned(effects::MakeToneTransfer({40, 50, 50, 50}, {50, 50, 50, 50})));
    dialog.moveTrackbar(kTrackbar2, 0);
    EXPECT_EQ(Bytes(), Toned(effects::MakeToneTransfer({40, 50, 50, 50}, {50, 0, 50, 50})));
    dialog.moveTrackbar(kChannelUpDown, 0);
    EXPECT_EQ(dialog.control(kEdit1)->text, "040");
    EXPECT_EQ(dialog.value(kTrackbar2), 50);

    dialog.click(kCancelId);
    EXPECT_EQ(Bytes(), original);
    EXPECT_EQ(editor.undoRing().index(), ring);
}

// The close box keeps the preview, OK keeps the result and undo takes it
// back; the next opening starts from 50 again.
TEST_F(EffectCommandsTest, ToneDialogCloseBoxOkAndReopening) {
    Use(Colourful(9, 9));
    host.scripts["CONTROLS"] = {{DialogStep::Trackbar, kTrackbar1, 70}, {DialogStep::CloseBox, 0, 0}};
    editor.dispatch(CommandId::Adjust);
    const std::vector<uint8_t> brighter = Toned(effects::MakeToneTransfer({70, 50, 50, 50}, {50, 50, 50, 50}));
    EXPECT_EQ(Bytes(), brighter);
    host.scripts["CONTROLS"] = {{DialogStep::Trackbar, kChannelUpDown, 3},
                                {DialogStep::Trackbar, kTrackbar2, 80},
                                {DialogStep::Click, kOkId, 0}};
    editor.dispatch(CommandId::Adjust);
    EXPECT_EQ(editor.state().effects.tone.brightness[0], 50);
    EXPECT_EQ(editor.state().effects.tone.contrast[3], 80);
    EXPECT_NE(Bytes(), brighter);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), brighter);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), original);
}

// ---- POROG and GRAVUR ----

// The threshold previews from the picture as it was at opening; "Отмена"
// puts it back exactly, OK keeps the last level.
TEST_F(EffectCommandsTest, ThresholdDialogSession) {
    Use(Colourful(11, 6));
    DialogModel dialog = Open(kThresholdCommand);
    EXPECT_EQ(dialog.control(kEdit1)->text, "128");
    EXPECT_EQ(Bytes(), original);
    dialog.moveTrackbar(kTrackbar1, 0);
    dialog.moveTrackbar(kTrackbar1, 100);
    const core::BmpView doc = editor.document();
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t x = 0; x < 11; ++x) {
            const uint32_t rgb = test::Rgb(core::BmpView(original.data()), x, r);
            const uint32_t y = effects::Luma(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            EXPECT_EQ(test::Rgb(doc, x, r), y > 100 ? 0xFFFFFFu : 0u);
        }
    dialog.click(kCancelId);
    EXPECT_EQ(Bytes(), original);

    host.scripts["POROG"] = {{DialogStep::Trackbar, kTrackbar1, 255}, {DialogStep::Click, kOkId, 0}};
    editor.dispatch(CommandId::Threshold);
    for (uint32_t x = 0; x < 11; ++x) EXPECT_EQ(test::Rgb(editor.document(), x, 3), 0u);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), original);
}

// The engraving shows its level with a sign, previews every change of level
// and window, and "Отмена" undoes; a picture under 17 pixels stays as it is.
TEST_F(EffectCommandsTest, EngraveDialogSession) {
    Use(test::MakeImage(24, 20, [](uint32_t x, uint32_t r) { return x == 12 && r == 10 ? 0 : 0xC8C8C8; }));
    DialogModel dialog = Open(kEngraveCommand);
    EXPECT_EQ(dialog.control(kEdit1)->text, "008");
    EXPECT_TRUE(dialog.control(kRadio17x9)->checked);
    EXPECT_EQ(Bytes(), original);
    dialog.moveTrackbar(kTrackbar1, -5);
    EXPECT_EQ(dialog.control(kEdit1)->text, "-05");
    // A negative level is stricter for white: 200 < 198 (the halved 17x9 mean) + 5.
    EXPECT_EQ(test::Rgb(editor.document(), 3, 3), 0u);
    dialog.click(kRadio9x9);
    EXPECT_EQ(editor.state().effects.windowChoice, effects::WindowChoice::Square9);
    dialog.moveTrackbar(kTrackbar1, 8);
    EXPECT_EQ(test::Rgb(editor.document(), 12, 10), 0u);       // 0 < 197 - 8
    EXPECT_EQ(test::Rgb(editor.document(), 3, 3), 0xFFFFFFu);  // 200 >= 200 - 8
    dialog.click(kCancelId);
    EXPECT_EQ(Bytes(), original);

    // Below 17 x 17 the means have no room: the command says so and takes
    // no undo step (the undo that follows reaches the step before it).
    Use(Colourful(16, 30));
    editor.dispatch(CommandId::Negative);
    const std::vector<uint8_t> negated = Bytes();
    host.scripts["GRAVUR"] = {{DialogStep::Click, kRadio17x17, 0}, {DialogStep::Click, kOkId, 0}};
    editor.dispatch(CommandId::Engrave);
    EXPECT_EQ(Bytes(), negated);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Гравюра требует изображения не меньше 17x17 точек");
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), original);
}

// ---- the menu commands ----

// Grey conversion of the whole picture takes its own snapshot; negative
// twice is the picture again; each undoes.
TEST_F(EffectCommandsTest, GreyAndNegativeUndo) {
    Use(Colourful(10, 4));
    editor.dispatch(CommandId::Greyscale);
    const core::BmpView doc = editor.document();
    EXPECT_EQ(doc.pixel(3, 1)[0], doc.pixel(3, 1)[2]);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), original);
    editor.dispatch(CommandId::Negative);
    EXPECT_NE(Bytes(), original);
    editor.dispatch(CommandId::Negative);
    EXPECT_EQ(Bytes(), original);
    editor.dispatch(CommandId::Undo);
    editor.dispatch(CommandId::Undo);
    EXPECT_EQ(Bytes(), original);
}

// Sobel and "Карандаш Т" show their time, the other filters nothing; the
// filters leave no tool chosen, the blurs keep it; strong is medium three
// times.
TEST_F(EffectCommandsTest, MarksAndTiming) {
    host.clockStep = 3;
    const std::pair<CommandId, bool> filters[] = {
        {CommandId::Sobel, true},           {CommandId::PencilHard, true},     {CommandId::PencilSoft, false},
        {CommandId::Sharpen, false},        {CommandId::ColourEnhance, false}, {CommandId::BlurLight, false},
        {CommandId::BlurVeryStrong, false},
    };
    for (const auto& [id, timed] : filters) {
        Use(Colourful(21, 17));
        state().toolMode = tool::Pencil;
        host.statusLog.clear();
        editor.dispatch(id);
        EXPECT_NE(Bytes(), original) << ToInt(id);
        using Log = std::vector<std::pair<int, std::string>>;
        const Log expected = timed ? Log{{11, "T(ms)=3"}} : Log{};
        EXPECT_EQ(host.statusLog, expected) << ToInt(id);
        const bool blur = id == CommandId::BlurLight || id == CommandId::BlurVeryStrong;
        EXPECT_EQ(state().toolMode, blur ? tool::Pencil : tool::None) << ToInt(id);
        editor.dispatch(CommandId::Undo);
        EXPECT_EQ(Bytes(), original) << ToInt(id);
    }
    Use(Colourful(21, 17));
    editor.dispatch(CommandId::BlurStrong);
    const std::vector<uint8_t> strong = Bytes();
    editor.dispatch(CommandId::Undo);
    for (int i = 0; i < 3; ++i) editor.dispatch(CommandId::BlurMedium);
    EXPECT_EQ(Bytes(), strong);
}

// ---- on a selection ----

// A rectangle selection (columns 5..14, stored rows 6..13 of 24 x 18)
// filtered and then dropped: its box is the filter's result on the box cut
// out as a floating selection holds it (pure white kept visible as blue
// 254), the rest of the picture unchanged; undo brings the picture back.
// The whole-picture filters end the selection first: Sobel then sees the
// picture without an outline.
TEST_F(EffectCommandsTest, EffectsOnASelectionEqualTheEffectOnTheCutBox) {
    EditorTools tools;
    const auto run = [&](std::initializer_list<const char*> ops) {
        for (const char* op : ops) {
            std::string why;
            std::optional<OpCall> call = ParseOp(op, why);
            ASSERT_TRUE(call) << why;
            if (call->gesture)
                PerformGesture(editor, *call->gesture, tools);
            else
                editor.dispatch(call->id);
        }
    };
    const auto cutBox = [&] {
        core::BmpImage box = test::MakeImage(10, 8, [&](uint32_t x, uint32_t r) {
            const uint32_t rgb = test::Rgb(core::BmpView(original.data()), x + 5, r + 6);
            return rgb == 0xFFFFFF ? 0xFFFFFEu : rgb;
        });
        return box;
    };
    using Effect = void (*)(core::MutableBmpView);
    const std::pair<const char*, Effect> effects[] = {
        {"blur:1", [](core::MutableBmpView v) { effects::Blur(v, effects::BlurLevel::Light); }},
        {"blur:3", [](core::MutableBmpView v) { effects::Blur(v, effects::BlurLevel::Strong); }},
        {"negative", [](core::MutableBmpView v) { effects::Negative(v, effects::White::Transparent); }},
        {"grey", [](core::MutableBmpView v) { effects::Greyscale(v); }},
    };
    for (const auto& [op, effect] : effects) {
        Use(Colourful(24, 18));
        run({"tool:rectangle-select", "drag:5,4,14,11", op});
        ASSERT_EQ(state().toolMode, tool::SelectionFloating) << op;
        run({"tool:pencil"});
        core::BmpImage box = cutBox();
        effect(box.view());
        for (uint32_t r = 0; r < 18; ++r)
            for (uint32_t x = 0; x < 24; ++x) {
                const bool inside = x >= 5 && x <= 14 && r >= 6 && r <= 13;
                const uint32_t expected =
                    inside ? test::Rgb(box.view(), x - 5, r - 6) : test::Rgb(core::BmpView(original.data()), x, r);
                ASSERT_EQ(test::Rgb(editor.document(), x, r), expected) << op << " at " << x << "," << r;
            }
        run({"undo"});
        EXPECT_EQ(Bytes(), original) << op;
    }

    // The tone dialog previews on the floating pixels; "Отмена" gives them
    // back as they were lifted, OK keeps the transfer (pure white kept
    // visible).
    const auto toned = [&](int brightness) {
        const core::BmpImage box = cutBox();
        core::BmpImage out = cutBox();
        effects::ApplyTone(box.view(), out.view(),
                           effects::MakeToneTransfer({uint8_t(brightness), 50, 50, 50}, {50, 50, 50, 50}),
                           effects::White::Transparent);
        return out;
    };
    for (const bool ok : {false, true}) {
        Use(Colourful(24, 18));
        run({"tool:rectangle-select", "drag:5,4,14,11"});
        DialogModel dialog = Open(kToneCommand);
        dialog.moveTrackbar(kTrackbar1, 90);
        dialog.moveTrackbar(kTrackbar1, 70);
        EXPECT_EQ(test::Rgb(editor.document(), 7, 9), test::Rgb(toned(70).view(), 2, 3));
        dialog.click(ok ? kOkId : kCancelId);
        run({"tool:pencil"});
        const core::BmpImage box = ok ? toned(70) : cutBox();
        for (uint32_t r = 6; r <= 13; ++r)
            for (uint32_t x = 5; x <= 14; ++x)
                ASSERT_EQ(test::Rgb(editor.document(), x, r), test::Rgb(box.view(), x - 5, r - 6)) << x << "," << r;
    }

    Use(Colourful(24, 18));
    run({"tool:rectangle-select", "drag:5,4,14,11", "sobel"});
    core::BmpImage sobel = core::BmpImage::Allocate(original.size()),
                   scratch = core::BmpImage::Allocate(original.size());
    std::copy(original.begin(), original.end(), sobel.data());
    effects::Sobel(sobel.view(), scratch.view());
    EXPECT_TRUE(test::SamePixels(sobel.view(), editor.document()));
}

// ---- zorva-cli ----

DecodeResult DecodeBmp(const std::string& path) {
    return {DecodeStatus::Ok, test::ReadBmp24(path)};
}

// Each OP gives the picture of the same dialog answers through the
// dispatcher, prints the timing of Sobel, and malformed arguments are
// usage errors naming the OP.
TEST_F(EffectCommandsTest, CliOpsMatchTheDialogRoute) {
    const std::string in = dir.file("in.bmp"), out = dir.file("out.bmp");
    core::WriteImageFile(in, Colourful(23, 19).view());
    const auto cli = [&](std::vector<std::string> args, std::string* output = nullptr) {
        std::ostringstream o, e;
        const int status = RunCli(args, DecodeBmp, dir.path(), o, e);
        if (output) *output = o.str() + e.str();
        return status;
    };
    const struct {
        const char* op;
        CommandId id;
        const char* dialog;
        DialogScript script;
    } routes[] = {
        {"tone:70,30,50,2",
         CommandId::Adjust,
         "CONTROLS",
         {{DialogStep::Trackbar, kChannelUpDown, 2},
          {DialogStep::Trackbar, kTrackbar1, 70},
          {DialogStep::Trackbar, kTrackbar2, 30},
          {DialogStep::Trackbar, kTrackbar3, 50}}},
        {"threshold:90", CommandId::Threshold, "POROG", {{DialogStep::Trackbar, kTrackbar1, 90}}},
        {"engrave:3,-7",
         CommandId::Engrave,
         "GRAVUR",
         {{DialogStep::Click, kRadio17x17, 0}, {DialogStep::Trackbar, kTrackbar1, -7}}},
        {"enhance", CommandId::ColourEnhance, "", {}},
        {"blur:4", CommandId::BlurVeryStrong, "", {}},
    };
    for (const auto& route : routes) {
        ASSERT_EQ(cli({"apply", in, "-o", out, route.op}), 0) << route.op;
        editor.install(test::ReadBmp24(in), InstallKind::Open);
        DialogScript script = route.script;
        script.push_back({DialogStep::Click, kOkId, 0});
        host.scripts[route.dialog] = script;
        editor.dispatch(route.id);
        EXPECT_TRUE(test::SamePixels(editor.document(), test::ReadBmp24(out).view())) << route.op;
    }
    std::string printed;
    ASSERT_EQ(cli({"apply", in, "sobel", "pencil-soft", "grey"}, &printed), 0);
    EXPECT_TRUE(std::regex_match(printed, std::regex("11\tT\\(ms\\)=[0-9]+\n"))) << printed;
    ASSERT_EQ(cli({}, &printed), 2);
    for (const char* synopsis : {" tone:B,C[,G[,CHANNEL]] ", " threshold:LEVEL ", " engrave:WINDOW,LEVEL ", " blur:4 "})
        EXPECT_NE(printed.find(synopsis), std::string::npos) << synopsis;
    for (const char* op : {"tone:101,50", "tone:50", "tone:50,50,50,4", "threshold:256", "engrave:4,8", "engrave:2,31",
                           "engrave:2", "sobel:1", "blur:5"}) {
        ASSERT_EQ(cli({"apply", in, op}, &printed), 2) << op;
        EXPECT_EQ(printed.rfind(std::string(op) + ": ", 0), 0u) << printed;
    }
}

}  // namespace
}  // namespace zorva::shell
