// Menu texts, shortcuts and marks of every command, and the menu trees built from them.
#include "shell/commands/CommandTable.h"

#include <array>

#include "shell/Editor.h"
#include "shell/commands/BarcodeCommand.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/commands/EffectCommands.h"
#include "shell/commands/Help.h"
#include "shell/commands/Navigation.h"
#include "shell/commands/PlateCommands.h"
#include "shell/commands/RecognitionCommands.h"
#include "shell/commands/Rotation.h"
#include "shell/commands/SegmentCommands.h"
#include "shell/commands/Selection.h"
#include "shell/commands/WindowCommands.h"
#include "shell/input/Keys.h"

namespace zorva::shell {

namespace {

using enum CommandId;
using namespace mark;

constexpr uint8_t D = NeedsDocument;
constexpr uint8_t S = Snapshot | NeedsDocument;
constexpr uint8_t SB = Snapshot | ReleaseButton | NeedsDocument;
constexpr uint8_t SBM = Snapshot | ReleaseButton | ToolOff | NeedsDocument;
constexpr uint8_t BM = ReleaseButton | ToolOff | NeedsDocument;
constexpr uint8_t K = OnSelection;
constexpr uint8_t V = OnSelection | SettingOnly;

constexpr KeyBinding Ctrl(int key) {
    return {Modifier::Control, key};
}
constexpr KeyBinding ShiftKey(int key) {
    return {Modifier::Shift, key};
}
constexpr KeyBinding Plain(int key) {
    return {Modifier::None, key};
}
constexpr std::array<KeyBinding, 2> Keys(KeyBinding a = {}, KeyBinding b = {}) {
    return {a, b};
}

// "Текст": the snapshot of its row and nothing more; text recognition is
// still to come.
void NoTextRecognitionYet(Editor&) {}

// The rows in menu order, then the rows scripts alone reach. Rows without an
// operation are recognised and do nothing yet.
constexpr CommandInfo kCommands[] = {
    // "&Файл"
    {New, "&Создать", Keys(), 0, NewCommand},
    {Open, "&Открыть", Keys(Ctrl(vk::O)), 0, OpenCommand},
    {Save, "&Записать", Keys(Ctrl(vk::S)), D, SaveCommand},
    // Nothing to close: the document stays until another replaces it.
    {Close, "&Закрыть", Keys(), D, [](Editor&) {}},
    {Print, "&Печать\tCtrl+P", Keys(Ctrl(vk::P)), D, PrintCommand},
    // "&Правка"
    {Undo, "&Отмена\tCtrl+Z", Keys(Ctrl(vk::Z)), D | K, UndoCommand, nullptr, "undo"},
    {Redo, "&Повтор\tCtrl+Y", Keys(Ctrl(vk::Y)), D | K, RedoCommand, nullptr, "redo"},
    {Cut, "Вы&резать\tCtrl+X", Keys(Ctrl(vk::X)), D | K, CutCommand, nullptr, "cut"},
    {Copy, "&Копировать\tCtrl+C", Keys(Ctrl(vk::C), Ctrl(vk::Insert)), D | K, CopyCommand, nullptr, "copy"},
    {Paste, "&Вставить\tCtrl+V", Keys(Ctrl(vk::V), ShiftKey(vk::Insert)), D, PasteCommand, nullptr, "paste"},
    {Delete, "&Удалить\tDelete", Keys(Plain(vk::Delete)), D | K, DeleteCommand, nullptr, "delete"},
    {CutOut, "Выкроить", Keys(), D | K, CutOutCommand, nullptr, "cut-out"},
    {Crop, "Обрезать", Keys(), D | K, CropCommand, nullptr, "crop"},
    {SelectAll, "Выделить все", Keys(Ctrl(vk::A)), S, SelectAllCommand, nullptr, "select-all"},
    {CopyMode, "Режим копирования", Keys(), V, ToggleCopyMode, nullptr, "copy-mode"},
    // "&Вид"
    {SourceView, "&Исходное изображение", Keys(), D | V, ShowSourceView},
    {Zoom, "&Масштаб", Keys(), D | V, OpenZoomDialog},
    {Preview, "Просмотр", Keys(), D, ShowPreview},
    // "&Рисунок"
    {Colour, "Цвет", Keys(), D | V, ChooseColourCommand},
    {Line1, "1пикс", Keys(), D | V, [](Editor& e) { SetLineWidth(e, 1, Line1); }},
    {Line2, "2пикс", Keys(), D | V, [](Editor& e) { SetLineWidth(e, 2, Line2); }},
    {Line3, "3пикс", Keys(), D | V, [](Editor& e) { SetLineWidth(e, 3, Line3); }},
    {Line4, "4пикс", Keys(), D | V, [](Editor& e) { SetLineWidth(e, 4, Line4); }},
    {EraserSmall, "малый", Keys(), D | V, [](Editor& e) { SetEraserSize(e, 4, EraserSmall); }},
    {EraserMedium, "средний", Keys(), D | V, [](Editor& e) { SetEraserSize(e, 6, EraserMedium); }},
    {EraserLarge, "большой", Keys(), D | V, [](Editor& e) { SetEraserSize(e, 8, EraserLarge); }},
    {GridOff, "Нет", Keys(), D | V, [](Editor& e) { SetGrid(e, 0, GridOff); }},
    {Grid4, " 4пкс", Keys(), D | V, [](Editor& e) { SetGrid(e, 4, Grid4); }},
    {Grid8, " 8пкс", Keys(), D | V, [](Editor& e) { SetGrid(e, 8, Grid8); }},
    {Grid16, "16пкс", Keys(), D | V, [](Editor& e) { SetGrid(e, 16, Grid16); }},
    {Grid32, "32пкс", Keys(), D | V, [](Editor& e) { SetGrid(e, 32, Grid32); }},
    {Grid64, "64пкс", Keys(), D | V, [](Editor& e) { SetGrid(e, 64, Grid64); }},
    {Adjust, "Настройка", Keys(), D | K, nullptr, &kToneCommand, "tone"},
    {Rotate, "Повернуть", Keys(), D | K, nullptr, &kRotateCommand, "rotate"},
    // "&Эффекты"
    {BlurLight, "легко", Keys(), SB | K, [](Editor& e) { BlurCommand(e, effects::BlurLevel::Light); }, nullptr,
     "blur:1"},
    {BlurMedium, "средне", Keys(), SB | K, [](Editor& e) { BlurCommand(e, effects::BlurLevel::Medium); }, nullptr,
     "blur:2"},
    {BlurStrong, "сильно", Keys(), SB | K, [](Editor& e) { BlurCommand(e, effects::BlurLevel::Strong); }, nullptr,
     "blur:3"},
    {BlurVeryStrong, "очень сильно", Keys(), SB | K, [](Editor& e) { BlurCommand(e, effects::BlurLevel::VeryStrong); },
     nullptr, "blur:4"},
    {PencilHard, "Карандаш Т", Keys(), SBM, PencilHardCommand, nullptr, "pencil-hard"},
    {PencilSoft, "Карандаш М", Keys(), SBM, PencilSoftCommand, nullptr, "pencil-soft"},
    {Engrave, "Гравюра", Keys(), D, nullptr, &kEngraveCommand, "engrave"},
    {Sobel, "Собеля", Keys(), SBM, SobelCommand, nullptr, "sobel"},
    {Palette, "цветовая палитра", Keys(), BM, nullptr, &kPaletteCommand, "palette"},
    {ColourEnhance, "усиление цвета", Keys(), SBM, ColourEnhanceCommand, nullptr, "enhance"},
    {Sharpen, "резкость", Keys(), SBM, SharpenCommand, nullptr, "sharpen"},
    // Grey conversion takes its own snapshot, only for the whole picture.
    {Greyscale, "Черно-белое", Keys(), D | K, GreyscaleCommand, nullptr, "grey"},
    {Negative, "Негатив", Keys(), SB | K, NegativeCommand, nullptr, "negative"},
    {Threshold, "Порог", Keys(), D, nullptr, &kThresholdCommand, "threshold"},
    // "&Сегментация"
    {Segment8, "&8-связная сегментация", Keys(), BM, nullptr, &kSegmentEightCommand, "segment8"},
    {SegmentMedianCut, "&4-связная медианного среза", Keys(), BM, nullptr, &kSegmentMedianCutCommand, "segment"},
    {SvgExport, "Векторный файл .svg", Keys(), NeedsSegments, nullptr, &kSvgExportCommand, "svg"},
    {SegmentSelect, "&Выбор сегмента", Keys(), ReleaseButton | NeedsSegments, EnterSegmentSelection},
    // "Р&аспознавание"
    {Barcode, "Штрих код", Keys(), S, RunBarcodeCommand, nullptr, "barcode"},
    {PlateHere, "На текущем фото", Keys(), SBM, PlateHereCommand, nullptr, "plate", kDigitsAndLetters},
    {PlatesFolder, "На всех фото в папке", Keys(), SBM, PlatesFolderCommand, nullptr, "plates", kDigitsAndLetters},
    {Text, "Текст", Keys(), S, NoTextRecognitionYet},
    {ObjectColours, "Объекта", Keys(), S, ObjectColoursCommand, nullptr, "colours"},
    {MakeBase, "Создание базы", Keys(), S, MakeBaseCommand, nullptr, "make-base"},
    // The comparisons take their snapshot themselves, after their clock starts.
    {CompareBase1, "с базой1", Keys(), D, [](Editor& e) { CompareWithBaseCommand(e, 1); }, nullptr, "compare:1",
     BaseBit(1)},
    {CompareBase2, "с базой2", Keys(), D, [](Editor& e) { CompareWithBaseCommand(e, 2); }, nullptr, "compare:2",
     BaseBit(2)},
    {CompareBase3, "с базой3", Keys(), D, [](Editor& e) { CompareWithBaseCommand(e, 3); }, nullptr, "compare:3",
     BaseBit(3)},
    // "&Язык": Russian is the only language; its item keeps its check mark.
    {Russian, "Русский", Keys(), V, [](Editor&) {}},
    {English, "English", Keys(), V, ShowEnglish},
    // "По&мощь"
    {AboutBox, "О программе", Keys(), V, ShowAbout},
    {HelpFile, "Файл", Keys(), V, [](Editor& e) { ShowHelp(e, HelpFile); }},
    {HelpEdit, "Правка", Keys(), V, [](Editor& e) { ShowHelp(e, HelpEdit); }},
    {HelpView, "Вид", Keys(), V, [](Editor& e) { ShowHelp(e, HelpView); }},
    {HelpPicture, "Рисунок", Keys(), V, [](Editor& e) { ShowHelp(e, HelpPicture); }},
    {HelpEffects, "Эффекты", Keys(), V, [](Editor& e) { ShowHelp(e, HelpEffects); }},
    {HelpSegmentation, "Сегментация", Keys(), V, [](Editor& e) { ShowHelp(e, HelpSegmentation); }},
    {HelpRecognition, "Распознавание", Keys(), V, [](Editor& e) { ShowHelp(e, HelpRecognition); }},
    {HelpWindow, "Окно", Keys(), V, [](Editor& e) { ShowHelp(e, HelpWindow); }},
    {HelpTools, "Инструменты", Keys(), V, [](Editor& e) { ShowHelp(e, HelpTools); }},
    // The two arrows of the menu bar.
    {PreviousPhoto, " < ", Keys(), 0, [](Editor& e) { NavigateFolder(e, Direction::Previous); }},
    {NextPhoto, " > ", Keys(), 0, [](Editor& e) { NavigateFolder(e, Direction::Next); }},
    // Script-only rows: no menu text, no keys, in no menu.
    {BarcodeStrict, "", Keys(), S, RunStrictBarcodeCommand, nullptr, "barcode-strict"},
    {PlateStrict, "", Keys(), SBM, StrictPlateHereCommand, nullptr, "plate-strict", kDigitsAndLetters},
};

// The menus name items by id; their texts come from the rows.
constexpr MenuNode Item(CommandId id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id) return MenuNode{c.text, ToInt(id), {}, false};
    return MenuNode{};
}
constexpr MenuNode Separator() {
    return MenuNode{"", 0, {}, true};
}
constexpr MenuNode Sub(std::string_view text, std::span<const MenuNode> children) {
    return MenuNode{text, 0, children, false};
}

constexpr std::array kFile = {Item(New), Item(Open), Item(Save), Item(Close), Separator(), Item(Print)};
constexpr std::array kEdit = {Item(Undo),   Item(Redo),   Separator(), Item(Cut),   Item(Copy),      Item(Paste),
                              Item(Delete), Item(CutOut), Item(Crop),  Separator(), Item(SelectAll), Item(CopyMode)};
constexpr std::array kView = {Item(SourceView), Item(Zoom), Item(Preview)};
constexpr std::array kLines = {Item(Line1), Item(Line2), Item(Line3), Item(Line4)};
constexpr std::array kEraser = {Item(EraserSmall), Item(EraserMedium), Item(EraserLarge)};
constexpr std::array kGrid = {Item(GridOff), Item(Grid4), Item(Grid8), Item(Grid16), Item(Grid32), Item(Grid64)};
constexpr std::array kPicture = {Item(Colour),        Sub("Линия", kLines), Sub("Ластик", kEraser),
                                 Sub("Сетка", kGrid), Separator(),          Item(Adjust),
                                 Item(Rotate)};
constexpr std::array kBlur = {Item(BlurLight), Item(BlurMedium), Item(BlurStrong), Item(BlurVeryStrong)};
constexpr std::array kFilter = {Item(Sobel), Item(Palette), Item(ColourEnhance), Item(Sharpen)};
constexpr std::array kEffects = {Sub("Размыть", kBlur), Item(PencilHard),       Item(PencilSoft),
                                 Item(Engrave),         Sub("Фильтр", kFilter), Separator(),
                                 Item(Greyscale),       Item(Negative),         Item(Threshold)};
constexpr std::array kSegmentation = {Item(Segment8), Item(SegmentMedianCut), Separator(), Item(SvgExport),
                                      Item(SegmentSelect)};
constexpr std::array kPlates = {Item(PlateHere), Item(PlatesFolder)};
constexpr std::array kCompare = {Item(CompareBase1), Item(CompareBase2), Item(CompareBase3)};
constexpr std::array kBase = {Item(MakeBase), Sub("Сравнение фото", kCompare)};
constexpr std::array kRecognition = {Item(Barcode), Sub("Авто номер", kPlates), Item(Text), Item(ObjectColours),
                                     Sub("База данных", kBase)};
constexpr std::array kLanguage = {Item(Russian), Item(English)};
constexpr std::array kHelp = {Item(HelpFile),        Item(HelpEdit),    Item(HelpView),
                              Item(HelpPicture),     Item(HelpEffects), Item(HelpSegmentation),
                              Item(HelpRecognition), Item(HelpWindow),  Item(HelpTools),
                              Separator(),           Item(AboutBox)};

constexpr std::array kMain = {
    Sub("&Файл", kFile),
    Sub("&Правка", kEdit),
    Sub("&Вид", kView),
    Sub("&Рисунок", kPicture),
    Sub("&Эффекты", kEffects),
    Sub("&Сегментация", kSegmentation),
    Sub("Р&аспознавание", kRecognition),
    Sub("&Язык", kLanguage),
    Sub("По&мощь", kHelp),
    Item(PreviousPhoto),
    Item(NextPhoto),
};

// Context menu 600: the same commands under shorter file texts where the
// resource gives them.
constexpr std::array kContextSelection = {Item(Cut),       Item(Copy),    Item(Delete), Item(CutOut),
                                          Item(Crop),      Item(Adjust),  Item(Rotate), Sub("Размыть", kBlur),
                                          Item(Greyscale), Item(Negative)};
constexpr std::array kContextEmpty = {MenuNode{"&Создать файл", ToInt(New), {}, false},
                                      MenuNode{"&Открыть файл", ToInt(Open), {}, false}};
constexpr std::array kContextDocument = {Item(Paste),           Item(SelectAll), Item(Adjust),  Item(Rotate),
                                         Sub("Размыть", kBlur), Item(Greyscale), Item(Negative)};
constexpr std::array kContext = {Sub("selection", kContextSelection), Sub("empty", kContextEmpty),
                                 Sub("document", kContextDocument)};

constexpr std::array kStartupChecks = {Preview, Line1, EraserLarge, GridOff, Russian};

}  // namespace

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(uint16_t id) {
    for (const CommandInfo& c : kCommands)
        if (ToInt(c.id) == id) return &c;
    return nullptr;
}

std::span<const MenuNode> MainMenu() {
    return kMain;
}

const MenuNode& ContextMenu(int submenu) {
    return kContext[size_t(submenu)];
}

std::string KeyLabel(KeyBinding key) {
    std::string label = key.modifier == Modifier::Control ? "Ctrl+" : key.modifier == Modifier::Shift ? "Shift+" : "";
    switch (key.key) {
        case vk::Insert:
            return label + "Insert";
        case vk::Delete:
            return label + "Delete";
        default:
            // Letters and digits are their own virtual-key codes.
            return label + char(key.key);
    }
}

std::string MenuText(const MenuNode& node) {
    std::string text(node.text);
    const CommandInfo* row = FindCommand(node.id);
    if (!row || row->keys[0].key == 0 || text.find('\t') != std::string::npos) return text;
    return text + '\t' + KeyLabel(row->keys[0]);
}

std::span<const CommandId> StartupChecks() {
    return kStartupChecks;
}

// ---- menu rules ----

bool IsEnabled(const Editor& editor, CommandId id) {
    const CommandInfo* info = FindCommand(ToInt(id));
    if (!info) return true;
    if (info->marks & mark::NeedsSegments) return editor.segmentationPresent();
    if (info->marks & mark::NeedsDocument) return editor.hasDocument();
    return true;
}

namespace {
bool InRange(CommandId id, CommandId first, CommandId last) {
    return ToInt(id) >= ToInt(first) && ToInt(id) <= ToInt(last);
}
}  // namespace

bool IsCheckable(CommandId id) {
    return id == CommandId::SourceView || id == CommandId::Preview || InRange(id, CommandId::Line1, CommandId::Line4) ||
           InRange(id, CommandId::EraserSmall, CommandId::EraserLarge) ||
           InRange(id, CommandId::GridOff, CommandId::Grid64) || id == CommandId::CopyMode || id == CommandId::Russian;
}

bool IsChecked(const EditorState& state, CommandId id) {
    if (id == CommandId::SourceView || id == CommandId::Preview) return state.viewMode == id;
    if (InRange(id, CommandId::Line1, CommandId::Line4)) return state.checkedLine == id;
    if (InRange(id, CommandId::EraserSmall, CommandId::EraserLarge)) return state.checkedEraser == id;
    if (InRange(id, CommandId::GridOff, CommandId::Grid64)) return state.checkedGrid == id;
    if (id == CommandId::CopyMode) return state.copyMode;
    return id == CommandId::Russian;
}

}  // namespace zorva::shell
