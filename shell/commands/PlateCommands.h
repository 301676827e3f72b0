// Number plates on the current photo and on every photo of its folder, with the folder's accuracy report.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "recognize/Plate.h"
#include "recognize/PlateCheck.h"

namespace zorva::shell {

class Editor;
class Host;

// Status field 9 while a plate is being read.
inline constexpr std::string_view kPlateLabel = "Авто номер";
// The folder run's report, written into the folder.
inline constexpr std::string_view kPlateReportName = "1avto_num.txt";
// The stage that produced a plate reading, as zorva-cli names it: "part"
// for the reading of the attempts, refinement passes and vote, "checked"
// where the check after it changed the text.
std::string_view PlateStageName(recognize::PlateStage stage);

// Whether `name` is a photo the folder run reads: ".jpg" or ".jpeg" in any
// letter case.
bool IsPlatePhoto(std::string_view name);

// The photos of `folder` from `host`, in folder order.
std::optional<std::vector<std::string>> ListPlatePhotos(Host& host, const std::string& folder);

// The plate recognition of the document in the arena's segment store: the
// segmentation of the last pass stays as the current one (indexed, two
// colours, VectorFlags 0x0001), or none when no pass ran (a picture below
// 17 x 17, no memory: told). No status output.
recognize::PlateResult ReadDocumentPlate(Editor& editor);

// Which readings a plate command gives: the reading alone, or the reading
// and the check after it.
enum class PlateChain { ReadingOnly, Checked };

// Reads the plate of the document as "На текущем фото" does, without the
// dispatcher's snapshot and repaint: field 9 "Авто номер" first; then the
// time to field 11, the segment count of the last segmentation to field 4
// and the result field to field 10. Returns the result field (10
// characters).
std::string RecognisePlateOnDocument(Editor& editor, PlateChain chain = PlateChain::Checked);

// 40081 "На текущем фото": the reading, then the check.
void PlateHereCommand(Editor& editor);
// The same with the reading alone (scripts only).
void StrictPlateHereCommand(Editor& editor);

// 40084 "На всех фото в папке": every ".jpg" and ".jpeg" photo of the
// current file's folder, in folder order, loaded as folder navigation loads
// it and read as "На текущем фото" reads it; then the report "1avto_num.txt"
// written into the folder. A folder without photos shows "Нет Файлов
// изображения" and writes nothing; a photo that cannot be loaded is told,
// gets a line without a plate and is never read; a report that cannot be
// written is told. The last photo read stays the document, with the undo
// step of its recognition. Unsaved changes of the picture are asked about
// first; the host's progress answer can stop the run after the current
// photo, and a stopped run writes no report.
void PlatesFolderCommand(Editor& editor);

// ---- the report ----

// The mark of one photo: "++" read exactly, "--" no plate found, otherwise
// "#" (four or more mismatches), "$" (a mismatched "K", "H" or "X" of the
// name) or a space, followed by the number of mismatches.
struct PlateMark {
    std::string text;
    uint32_t mismatches = 0;
    bool noPlate = false;
};

// Compares the result field with the file name (both as the report holds
// them, in Windows-1251): position by position from the start, at most 9
// positions, ending at the name's first "."; then one more mismatch when the
// result field holds anything but a space where the comparison ended.
PlateMark MarkOf(std::string_view result, std::string_view name);

// The totals of a report, in the order of its last seven lines.
struct PlateTotals {
    uint32_t photos = 0;
    uint32_t recognised = 0;        // "++"
    uint32_t noPlate = 0;           // "--"
    uint32_t notThePlate = 0;       // four or more mismatches
    std::array<uint32_t, 3> off{};  // exactly one, two, three mismatches
};

// "1avto_num.txt" as it grows, in Windows-1251 with CR LF line ends: the
// header, a line of 31 bytes per photo, then seven total lines (a count
// beyond four digits takes the digits it needs).
class PlateReport {
public:
    // Adds the line of one photo: `result` the 10-character result field,
    // `fileName` the photo's name (UTF-8; characters the code page lacks
    // are written as "?").
    void add(std::string_view result, std::string_view fileName);
    const PlateTotals& totals() const { return m_totals; }
    // The whole file.
    std::string text() const;

private:
    std::string m_lines;
    PlateTotals m_totals;
};

}  // namespace zorva::shell
