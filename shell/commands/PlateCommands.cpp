// The plate commands: the recognition run in the arena's segment store, the status fields, the folder run and its
// report.
#include "shell/commands/PlateCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "core/ImageFiles.h"
#include "recognize/PlateTurns.h"
#include "shell/Editor.h"
#include "shell/Host.h"
#include "shell/Messages.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/commands/Navigation.h"
#include "shell/text/Cp1251.h"
#include "shell/text/FolderOrder.h"
#include "shell/text/Utf8.h"

namespace zorva::shell {

namespace {

// ---- report texts ----
// Columns of a photo's line: the result field, the name, four spaces, the mark.
constexpr size_t kResultColumns = 10;
constexpr size_t kNameColumns = 13;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kReportHeader = " Номер       Файл       Несовпадение";
// The total lines' labels, 13 characters each, in report order.
constexpr std::array<std::string_view, 7> kTotalLabels = {
    "  Всего фото:", "  Распознано:", "  Нет номера:", "Номер не там:",
    "1несравнение:", "2несравнения:", "3несравнения:",
};
// Positions the mark compares: at most nine characters of the name.
constexpr size_t kComparedColumns = 9;

// Fixed texts of the report in the code page (they are all in it).
std::string Cp1251(std::string_view utf8) {
    return ToCp1251(utf8).value_or(std::string());
}

// A file name in the code page, one byte per character: characters it
// lacks, control characters (a line break would break the report's line)
// and bytes that are not UTF-8 become "?", so that one odd name neither
// breaks the report nor shifts its columns.
std::string NameInCp1251(std::string_view utf8) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t length = Utf8Length(static_cast<unsigned char>(utf8[i]));
        if (length == 0 || i + length > utf8.size()) length = 1;
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const bool control = lead < 0x20 || lead == 0x7F;
        const std::optional<std::string> one = control ? std::nullopt : ToCp1251(utf8.substr(i, length));
        out += one && one->size() == 1 ? *one : std::string("?");
        i += length;
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

bool IsPlatePhoto(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = char(c + 0x20);
    return extension == "jpg" || extension == "jpeg";
}

std::optional<std::vector<std::string>> ListPlatePhotos(Host& host, const std::string& folder) {
    std::optional<std::vector<std::string>> names = host.listFolder(folder);
    if (!names) return names;
    std::erase_if(*names, [](const std::string& n) { return !IsPlatePhoto(n); });
    SortFolderOrder(*names);
    return names;
}

namespace {

// What the picture shows of a plate run: its grey luminance with the
// separator frames where a plate was found, and the characters of the
// final pass in kPlateInk inside the plate region.
void ShowPlateRun(Editor& editor, const recognize::PlateResult& result) {
    if (!result.found) return;
    const core::MutableBmpView image = editor.document();
    const core::Plane<const uint32_t> means = editor.arena().pixelPlane();
    for (uint32_t y = 0; y < image.height(); ++y) {
        const uint32_t* records = means.row(y);
        uint8_t* p = image.row(y);
        for (uint32_t x = 0; x < image.width(); ++x, p += 3)
            p[0] = p[1] = p[2] = uint8_t(effects::RecordLuma(records[x]));
    }
    if (!result.painted) return;
    const recognize::PlateRegion& r = result.region;
    const uint32_t* map = editor.segments().indexedMap();
    const uint32_t right = std::min<uint32_t>(r.right, image.width() - 1);
    const uint32_t top = std::min<uint32_t>(r.top, image.height() - 1);
    for (uint32_t y = r.bottom; y <= top; ++y) {
        const uint32_t* line = map + size_t(y) * image.width();
        for (uint32_t x = r.left; x <= right; ++x) {
            const uint32_t label = segment::ValueLabel(line[x]);
            if (label == 0) continue;
            if (std::find(result.plateSlots.segment.begin(), result.plateSlots.segment.end(), label) !=
                result.plateSlots.segment.end())
                image.set(x, y, recognize::kPlateInk);
        }
    }
}

// The places in the arena a plate run works in: the segment store's map and
// table, so that what the run leaves is the current segmentation (selection
// and SVG export read it). Nothing when there is no room (told).
std::optional<recognize::PlateBuffers> DocumentPlateBuffers(Editor& editor) {
    segment::SegmentStore& store = editor.segments();
    core::WorkArena& arena = editor.arena();
    const core::MutableBmpView image = editor.document();
    if (!store.placeIndexed(arena, image.width(), image.height())) {
        editor.message(text::kNoMemory);
        return std::nullopt;
    }
    recognize::PlateBuffers buffers;
    buffers.means = arena.writePixelPlane();
    buffers.map = store.indexedMap();
    buffers.table = store.indexedTable();
    // The passes trace into the room after the worst-case table.
    buffers.vectorWords = arena.writeMaskWords();
    return buffers;
}

// What a plate run leaves: its last segmentation as the current one, the
// picture as ShowPlateRun makes it (unless not `shown`), the attempt
// parameters as the last attempt set them.
void SettleDocumentPlate(Editor& editor, const recognize::PlateResult& result, bool shown = true) {
    EditorState& state = editor.state();
    SegmentState& s = state.segment;
    segment::SegmentStore& store = editor.segments();
    if (!result.segmented) {
        store.invalidate();
        return;
    }
    store.settleIndexed(editor.arena(), result.segments);
    if (shown) ShowPlateRun(editor, result);
    store.palette = store.segmentPalette = recognize::PlatePalette();
    s.segmentMode = SegmentMode::MedianCut;
    s.quantiseFirst = false;
    s.vectorFlags = recognize::kPlateVectorFlags;
    s.segmentCount = s.segmentTotal = result.segments;
    state.effects.windowChoice = result.lastAttempt.window;
    if (result.lastAttempt.level) state.effects.adaptiveLevel = int16_t(*result.lastAttempt.level);
}

// The check of the reading whose run the store holds.
recognize::CheckedPlate CheckDocumentPlate(Editor& editor, const recognize::PlateResult& result) {
    recognize::PlateCheckInput input;
    if (result.segmented) {
        input.map = editor.segments().indexedMap();
        input.width = editor.document().width();
        input.table = editor.segments().indexedTable();
        input.photo = editor.document();
    }
    return recognize::CheckPlate(result, input);
}

// The segmentation a reading left (its map and the records of its table),
// kept aside while the photo is read turned in the same places.
class KeptSegmentation {
public:
    // Nothing kept when `result` left no segmentation or there is no room.
    KeptSegmentation(Editor& editor, const recognize::PlateResult& result) {
        const segment::SegmentStore& store = editor.segments();
        const std::span<const segment::IndexedSegmentRecord> table = store.indexedTable();
        if (!result.segmented || !store.indexedMap() || table.size() <= result.segments) return;
        m_words = size_t(editor.document().width()) * editor.document().height();
        m_map.reset(new (std::nothrow) uint32_t[m_words]);
        if (!m_map) return;
        std::memcpy(m_map.get(), store.indexedMap(), m_words * sizeof(uint32_t));
        m_table.assign(table.begin(), table.begin() + ptrdiff_t(result.segments) + 1);
    }

    // Back into the store's present map and table (a run of the same
    // picture's size placed them).
    bool restore(Editor& editor) const {
        segment::SegmentStore& store = editor.segments();
        const std::span<segment::IndexedSegmentRecord> table = store.indexedTable();
        if (!m_map || !store.indexedMap() || table.size() < m_table.size()) return false;
        std::memcpy(store.indexedMap(), m_map.get(), m_words * sizeof(uint32_t));
        std::copy(m_table.begin(), m_table.end(), table.begin());
        return true;
    }

private:
    std::unique_ptr<uint32_t[]> m_map;
    size_t m_words = 0;
    std::vector<segment::IndexedSegmentRecord> m_table;
};

// After a reading whose check found no plate in the photo as it stands
// (the reading run in `buffers`, the picture not yet touched): the photo
// read turned. The best turned reading stays as a reading leaves the
// picture (the turned photo in grey with its frames); without one the photo
// stays as it was with its own reading's segmentation (kept aside, or,
// without room for that, made again). Without room for a copy of the photo
// it is not read turned.
void ReadDocumentTurned(Editor& editor, const recognize::PlateBuffers& buffers, recognize::PlateResult& result,
                        recognize::CheckedPlate& read) {
    const core::MutableBmpView document = editor.document();
    const core::BmpImage photo = core::BmpImage::Allocate(document.fileSize());
    if (!photo) {
        SettleDocumentPlate(editor, result, false);
        return;
    }
    std::memcpy(photo.data(), document.data(), document.fileSize());
    const KeptSegmentation own(editor, result);
    std::optional<recognize::TurnedPlate> turned =
        recognize::ReadTurnedPlate(photo.view(), document, buffers, editor.symbolBases());
    if (turned) {
        SettleDocumentPlate(editor, turned->result);
        result = std::move(turned->result);
        read = std::move(turned->read);
        return;
    }
    std::memcpy(document.data(), photo.data(), document.fileSize());
    if (!own.restore(editor)) result = recognize::RecognisePlate(document, buffers, editor.symbolBases());
    // A row the reading took for a plate and the check did not shows nothing.
    SettleDocumentPlate(editor, result, false);
}

// The time, the segment count and the result field of a reading.
void ShowPlateReading(Editor& editor, uint32_t startMs, const recognize::PlateResult& result,
                      const recognize::CheckedPlate& read) {
    editor.showElapsed(startMs);
    editor.setStatus(status::Segment, std::to_string(result.segments));
    editor.setStatus(status::Result, read.text);
    editor.state().lastReading = {read.text, std::string(PlateStageName(read.stage))};
}

}  // namespace

recognize::PlateResult ReadDocumentPlate(Editor& editor) {
    const std::optional<recognize::PlateBuffers> buffers = DocumentPlateBuffers(editor);
    if (!buffers) return {};
    recognize::PlateResult result = recognize::RecognisePlate(editor.document(), *buffers, editor.symbolBases());
    SettleDocumentPlate(editor, result);
    return result;
}

std::string_view PlateStageName(recognize::PlateStage stage) {
    return stage == recognize::PlateStage::Checked ? "checked" : "part";
}

std::string RecognisePlateOnDocument(Editor& editor, PlateChain chain) {
    editor.setStatus(status::ResultLabel, kPlateLabel);
    const uint32_t startMs = editor.host().clockMs();
    if (chain == PlateChain::ReadingOnly) {
        const recognize::PlateResult result = ReadDocumentPlate(editor);
        ShowPlateReading(editor, startMs, result, {result.text, recognize::PlateStage::Part});
        return result.text;
    }
    // The reading is checked before anything is shown: a plate the check
    // takes is shown as the reading shows it, and only a photo without one
    // is copied, to be read turned.
    recognize::PlateResult result;
    recognize::CheckedPlate read{result.text};
    if (const std::optional<recognize::PlateBuffers> buffers = DocumentPlateBuffers(editor)) {
        result = recognize::RecognisePlate(editor.document(), *buffers, editor.symbolBases());
        read = CheckDocumentPlate(editor, result);
        if (read.text != recognize::kPlateNotRead || !result.segmented)
            SettleDocumentPlate(editor, result);
        else
            ReadDocumentTurned(editor, *buffers, result, read);
    }
    ShowPlateReading(editor, startMs, result, read);
    return read.text;
}

void PlateHereCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    RecognisePlateOnDocument(editor);
}

void StrictPlateHereCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    RecognisePlateOnDocument(editor, PlateChain::ReadingOnly);
}

void PlatesFolderCommand(Editor& editor) {
    if (!editor.hasDocument()) return;
    Host& host = editor.host();
    EditorState& state = editor.state();
    const std::string folder = FolderOf(state.currentFilePath);
    const std::optional<std::vector<std::string>> listed = ListPlatePhotos(host, folder.empty() ? "." : folder);
    if (!listed) {
        editor.message(text::kFolderUnreadable, MessageIcon::Exclamation);
        return;
    }
    const std::vector<std::string>& photos = *listed;
    if (photos.empty()) {
        host.message(kNoImageFiles, "", MessageIcon::Question);
        return;
    }
    // Every photo of the folder becomes the document in turn.
    if (!MayReplaceDocument(editor)) return;
    const uint32_t startMs = host.clockMs();
    PlateReport report;
    // The path follows the document shown: a photo that cannot be loaded
    // leaves the previous one, and its path, in place.
    std::string shown = state.currentFilePath;
    const uint32_t count = uint32_t(photos.size());
    for (uint32_t i = 0; i < count; ++i) {
        const std::string path = folder + photos[i];
        // Cancelled: the photos done so far stay done, and no report is
        // written (a report of part of the folder would pass for the whole;
        // an old one stays as it was).
        if (!host.folderProgress({i + 1, count, path, host.clockMs() - startMs, false})) return;
        state.currentFilePath = path;
        std::string result(recognize::kPlateNotRead);
        if (editor.loadDocument(path, InstallKind::Navigate)) {
            shown = path;
            // The photo that stays on screen can be brought back as it was.
            if (i + 1 == count) editor.takeSnapshot();
            result = RecognisePlateOnDocument(editor);
        } else {
            state.currentFilePath = shown;
        }
        report.add(result, photos[i]);
        if (!host.folderProgress({i + 1, count, path, host.clockMs() - startMs, true})) return;
    }
    const std::string reportPath = folder + std::string(kPlateReportName);
    if (!editor.writeFile(reportPath, report.text())) editor.message(editor.writeFailure(), MessageIcon::Exclamation);
}

PlateMark MarkOf(std::string_view result, std::string_view name) {
    PlateMark mark;
    if (!result.empty() && result[0] == '*') {
        mark.text = "--";
        mark.noPlate = true;
        return mark;
    }
    bool lookAlike = false;
    size_t i = 0;
    for (; i < kComparedColumns && i < name.size() && name[i] != '.'; ++i) {
        const char expected = name[i];
        if (i < result.size() && result[i] == expected) continue;
        ++mark.mismatches;
        if (expected == 'K' || expected == 'H' || expected == 'X') lookAlike = true;
    }
    // Characters read beyond the name's end are mismatches too.
    if (i < result.size() && result[i] != ' ') ++mark.mismatches;
    if (mark.mismatches == 0) {
        mark.text = "++";
        return mark;
    }
    const char flag = mark.mismatches >= 4 ? '#' : lookAlike ? '$' : ' ';
    // At most ten positions are compared, and the tenth of a result field is
    // always a space: the count stays one digit.
    mark.text = std::string(1, flag) + char('0' + std::min<uint32_t>(mark.mismatches, 9));
    return mark;
}

void PlateReport::add(std::string_view result, std::string_view fileName) {
    const std::string name = NameInCp1251(fileName);
    const PlateMark mark = MarkOf(result, name);
    std::string line(result.substr(0, kResultColumns));
    line.resize(kResultColumns, ' ');
    line += name.substr(0, kNameColumns);
    line.resize(kResultColumns + kNameColumns, ' ');
    line += "    ";
    line += mark.text;
    line += kLineEnd;
    m_lines += line;

    ++m_totals.photos;
    if (mark.noPlate)
        ++m_totals.noPlate;
    else if (mark.mismatches == 0)
        ++m_totals.recognised;
    else if (mark.mismatches >= 4)
        ++m_totals.notThePlate;
    else
        ++m_totals.off[mark.mismatches - 1];
}

std::string PlateReport::text() const {
    std::string text = Cp1251(kReportHeader);
    text += kLineEnd;
    text += m_lines;
    const std::array<uint32_t, 7> counts = {m_totals.photos,      m_totals.recognised, m_totals.noPlate,
                                            m_totals.notThePlate, m_totals.off[0],     m_totals.off[1],
                                            m_totals.off[2]};
    for (size_t i = 0; i < counts.size(); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%04u", counts[i]);
        text += Cp1251(kTotalLabels[i]);
        text += ' ';
        text += number;
        text += "   ";
        text += kLineEnd;
    }
    return text;
}

}  // namespace zorva::shell
