// Menu texts, shortcuts and marks of every command, and the menu trees built from them.
#include "shell/commands/CommandTable.h"

#include <array>

namespace zorva::shell {

namespace {

using enum CommandId;
using namespace mark;

constexpr uint8_t D = NeedsDocument;
constexpr uint8_t S = Snapshot | NeedsDocument;
constexpr uint8_t SB = Snapshot | ReleaseButton | NeedsDocument;
constexpr uint8_t SBM = Snapshot | ReleaseButton | ToolOff | NeedsDocument;
constexpr uint8_t BM = ReleaseButton | ToolOff | NeedsDocument;
constexpr uint8_t C = Context;

constexpr std::array kCommands = {
    CommandInfo{New, "&Создать", "", C},
    CommandInfo{Open, "&Открыть", "Ctrl+O", C},
    CommandInfo{Save, "&Записать", "Ctrl+S", D},
    CommandInfo{Close, "&Закрыть", "", D},
    CommandInfo{Print, "&Печать\tCtrl+P", "Ctrl+P", D},
    CommandInfo{Undo, "&Отмена\tCtrl+Z", "Ctrl+Z", D},
    CommandInfo{Redo, "&Повтор\tCtrl+Y", "Ctrl+Y", D},
    CommandInfo{Cut, "Вы&резать\tCtrl+X", "Ctrl+X", D | C},
    CommandInfo{Copy, "&Копировать\tCtrl+C", "Ctrl+C, Ctrl+Insert", D | C},
    CommandInfo{Paste, "&Вставить\tCtrl+V", "Ctrl+V, Shift+Insert", D | C},
    CommandInfo{Delete, "&Удалить\tDelete", "Delete", D | C},
    CommandInfo{CutOut, "Выкроить", "", D | C},
    CommandInfo{Crop, "Обрезать", "", D | C},
    CommandInfo{SelectAll, "Выделить все", "Ctrl+A", S | C},
    CommandInfo{CopyMode, "Режим копирования", "", 0},
    CommandInfo{SourceView, "&Исходное изображение", "", D},
    CommandInfo{Zoom, "&Масштаб", "", D},
    CommandInfo{Preview, "Просмотр", "", D},
    CommandInfo{Colour, "Цвет", "", D},
    CommandInfo{Line1, "1пикс", "", D},
    CommandInfo{Line2, "2пикс", "", D},
    CommandInfo{Line3, "3пикс", "", D},
    CommandInfo{Line4, "4пикс", "", D},
    CommandInfo{EraserSmall, "малый", "", D},
    CommandInfo{EraserMedium, "средний", "", D},
    CommandInfo{EraserLarge, "большой", "", D},
    CommandInfo{GridOff, "Нет", "", D},
    CommandInfo{Grid4, " 4пкс", "", D},
    CommandInfo{Grid8, " 8пкс", "", D},
    CommandInfo{Grid16, "16пкс", "", D},
    CommandInfo{Grid32, "32пкс", "", D},
    CommandInfo{Grid64, "64пкс", "", D},
    CommandInfo{Adjust, "Настройка", "", D | C},
    CommandInfo{Rotate, "Повернуть", "", D | C},
    CommandInfo{BlurLight, "легко", "", SB | C},
    CommandInfo{BlurMedium, "средне", "", SB | C},
    CommandInfo{BlurStrong, "сильно", "", SB | C},
    CommandInfo{BlurVeryStrong, "очень сильно", "", SB | C},
    CommandInfo{PencilHard, "Карандаш Т", "", SBM},
    CommandInfo{PencilSoft, "Карандаш М", "", SBM},
    CommandInfo{Engrave, "Гравюра", "", D},
    CommandInfo{Sobel, "Собеля", "", SBM},
    CommandInfo{Palette, "цветовая палитра", "", BM},
    CommandInfo{ColourEnhance, "усиление цвета", "", SBM},
    CommandInfo{Sharpen, "резкость", "", SBM},
    CommandInfo{Greyscale, "Черно-белое", "", D | C},
    CommandInfo{Negative, "Негатив", "", SB | C},
    CommandInfo{Threshold, "Порог", "", D},
    CommandInfo{Segment8, "&8-связная сегментация", "", BM},
    CommandInfo{SegmentMedianCut, "&4-связная медианного среза", "", BM},
    CommandInfo{SvgExport, "Векторный файл .svg", "", NeedsSegments},
    CommandInfo{SegmentSelect, "&Выбор сегмента", "", ReleaseButton | NeedsSegments},
    CommandInfo{Barcode, "Штрих код", "", S},
    CommandInfo{PlateHere, "На текущем фото", "", S},
    CommandInfo{PlatesFolder, "На всех фото в папке", "", S},
    CommandInfo{Text, "Текст", "", S},
    CommandInfo{ObjectColours, "Объекта", "", S},
    CommandInfo{MakeBase, "Создание базы", "", S},
    CommandInfo{CompareBase1, "с базой1", "", D},
    CommandInfo{CompareBase2, "с базой2", "", D},
    CommandInfo{CompareBase3, "с базой3", "", D},
    CommandInfo{Russian, "Русский", "", 0},
    CommandInfo{English, "English", "", 0},
    CommandInfo{AboutBox, "О программе", "", 0},
    CommandInfo{HelpFile, "Файл", "", 0},
    CommandInfo{HelpEdit, "Правка", "", 0},
    CommandInfo{HelpView, "Вид", "", 0},
    CommandInfo{HelpPicture, "Рисунок", "", 0},
    CommandInfo{HelpEffects, "Эффекты", "", 0},
    CommandInfo{HelpSegmentation, "Сегментация", "", 0},
    CommandInfo{HelpRecognition, "Распознавание", "", 0},
    CommandInfo{HelpWindow, "Окно", "", 0},
    CommandInfo{HelpTools, "Инструменты", "", 0},
    CommandInfo{PreviousPhoto, " < ", "", 0},
    CommandInfo{NextPhoto, " > ", "", 0},
};

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

std::span<const CommandId> StartupChecks() {
    return kStartupChecks;
}

}  // namespace zorva::shell
