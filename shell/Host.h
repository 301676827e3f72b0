// What the editor needs of the platform: messages, dialogs, status bar, repaint, decoder, clock, files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BmpImage.h"
#include "core/ImageFiles.h"
#include "shell/view/WindowState.h"

namespace zorva::shell {

class DialogModel;

enum class MessageIcon { None, Information, Exclamation, Question };

enum class DecodeStatus { Ok, CannotLoad, TooLarge };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::CannotLoad;
    core::BmpImage image;  // the decoded block when status is Ok
};

// A drawing colour as the colour dialog returns it.
struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

// How a print job ended: done; no printer (dialog cancelled or failed); or
// the printer could not print the picture (job or page not started or ended).
enum class PrintStatus { Done, Unavailable, Failed };

// One print job: the document on one page, painted by the screen's paint
// routine with the page in place of the client area.
struct PrintJob {
    std::string name;  // the job's name in the printer queue
    core::BmpView document;
    // The paint plan for a page of pageWidth x pageHeight device pixels,
    // asked once the printer is known.
    std::function<PaintPlan(int pageWidth, int pageHeight)> plan;
};

// Where a folder run of plate recognition stands: told as each photo is
// about to be loaded and again once it is done.
struct FolderProgress {
    uint32_t photo = 0;  // 1..photos
    uint32_t photos = 0;
    std::string_view path;   // the photo's path
    uint32_t elapsedMs = 0;  // since the run began
    bool done = false;       // false: about to be loaded; true: its line is written
};

// The answer to "Сохранить изменения?": Да, Нет, Отмена.
enum class SaveChoice { Save, Discard, Cancel };

// The platform side of the editor. The window implements it with Qt,
// zorva-cli with the console, tests with a recording fake.
class Host {
public:
    virtual ~Host() = default;

    // A modal message box. `caption` is "zorva" for nearly every message.
    virtual void message(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
    // Replaces the text of status-bar field 0..11.
    virtual void statusChanged(int field, std::string_view text) = 0;
    // The image view needs painting (`erase`: clear the background first).
    virtual void repaint(bool erase) = 0;
    // Runs a modal dialog until it ends (the host calls model.open() first).
    virtual void runDialog(DialogModel& model) = 0;
    // Whether someone watches the dialogs that preview on the picture: the
    // window does; a script's answers need no preview of each step, only
    // the result computed once on OK.
    virtual bool previewsLive() const { return true; }
    // Milliseconds of a monotonic clock, for the "T(ms)=" timings.
    virtual uint32_t clockMs() = 0;
    // Decodes any picture file the platform reads into the decoded BmpImage
    // layout, transparency flattened against white.
    virtual DecodeResult decode(const std::string& path) = 0;
    // File dialogs: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const std::string& current) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string& current) = 0;
    // The picture in the file layout of `format` (never Bmp, which the
    // editor writes itself); nothing where the platform has no writer for it.
    virtual std::optional<std::vector<uint8_t>> encode(core::BmpView /*picture*/, core::SaveFormat /*format*/) {
        return std::nullopt;
    }
    // The wait pointer around long file operations.
    virtual void setBusy(bool /*busy*/) {}
    // A folder run's progress. The answer says whether to go on: false (the
    // user cancelled) stops the run once the current photo is done.
    virtual bool folderProgress(const FolderProgress& /*progress*/) { return true; }
    // Asks `question` with Да / Нет / Отмена before a picture with unsaved
    // changes goes. A host that cannot ask lets it go (Нет), as scripts did
    // before the question existed.
    virtual SaveChoice askSaveChanges(std::string_view /*question*/, std::string_view /*caption*/) {
        return SaveChoice::Discard;
    }
    // The window's title changed (file name, unsaved mark).
    virtual void titleChanged(std::string_view /*title*/) {}
    // A picture the user opened or saved, for the recent-files list and the
    // file dialogs' folder.
    virtual void rememberFile(const std::string& /*path*/) {}
    // A file that could not be written; the message that follows is about
    // it. The window's message box says no more than the message; a console
    // names the file.
    virtual void fileNotWritten(std::string_view /*path*/) {}

    // The platform colour chooser: no colour preselected, its custom colours
    // kept for the whole run. Nothing when cancelled (or where there is none).
    virtual std::optional<Colour> chooseColour() { return std::nullopt; }
    // Asks for a printer, then prints `job` on one page with the wait
    // pointer shown. Hosts without printers report Unavailable.
    virtual PrintStatus print(const PrintJob& /*job*/) { return PrintStatus::Unavailable; }
    // The names (not paths) of the regular files in `folder`, in whatever
    // order the file system gives them; nothing when the folder cannot be
    // read (no permission, gone). The default reads it with std::filesystem.
    virtual std::optional<std::vector<std::string>> listFolder(const std::string& folder);

    // The clipboard. Publishes `picture` (a selection cut to its box) for
    // other programs; gives back the picture on the clipboard in the
    // program's layout (24-bit, bottom-up), or nothing when it holds none.
    // The default keeps it in this process as a DIB: copy and paste work
    // within one run (zorva-cli, tests).
    virtual void setClipboardPicture(core::BmpView picture);
    virtual std::optional<core::BmpImage> clipboardPicture();

private:
    std::vector<uint8_t> m_clipboard;
};

}  // namespace zorva::shell
