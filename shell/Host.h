// What the editor needs of the platform: messages, dialogs, status bar, repaint, decoder, clock, files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BmpImage.h"

namespace zorva::shell {

class DialogModel;

enum class MessageIcon { None, Information, Exclamation, Question };

enum class DecodeStatus { Ok, CannotLoad, TooLarge };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::CannotLoad;
    core::BmpImage image;  // the decoded block when status is Ok
};

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
    // Milliseconds of a monotonic clock, for the "T(ms)=" timings.
    virtual uint32_t clockMs() = 0;
    // Decodes any picture file the platform reads into the decoded BmpImage
    // layout, transparency flattened against white.
    virtual DecodeResult decode(const std::string& path) = 0;
    // File dialogs: the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const std::string& current) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string& current) = 0;
    // The wait pointer around long file operations.
    virtual void setBusy(bool /*busy*/) {}
};

}  // namespace zorva::shell
