// The window's side of the editor: Qt message boxes, dialogs, status bar, repaints, decoder, printer.
#pragma once

#include <QString>

#include "shell/Host.h"

namespace zorva::platform {

class MainWindow;

class QtHost : public shell::Host {
public:
    explicit QtHost(MainWindow& window);

    void message(std::string_view text, std::string_view caption, shell::MessageIcon icon) override;
    void statusChanged(int field, std::string_view text) override;
    // Brings the widgets (palette, label, scroll bars) up to the editor's
    // state and schedules a repaint of the image area.
    void repaint(bool erase) override;
    void runDialog(shell::DialogModel& model) override;
    uint32_t clockMs() override;
    shell::DecodeResult decode(const std::string& path) override;
    std::optional<std::vector<uint8_t>> encode(core::BmpView picture, core::SaveFormat format) override;
    std::optional<std::string> chooseOpenFile(const std::string& current) override;
    std::optional<std::string> chooseSaveFile(const std::string& current) override;
    void setBusy(bool busy) override;
    std::optional<shell::Colour> chooseColour() override;
    shell::PrintStatus print(const shell::PrintJob& job) override;
    void setClipboardPicture(core::BmpView picture) override;
    std::optional<core::BmpImage> clipboardPicture() override;

    // Prints into this PDF file without asking (tests, scripts); empty: ask.
    void setPrintFile(const QString& pdfFile) { m_printFile = pdfFile; }
    // Answers message boxes without showing them, recording their texts
    // (tests and screenshots under a display nobody looks at).
    void setQuiet(bool quiet) { m_quiet = quiet; }
    const std::vector<std::string>& quietMessages() const { return m_quietMessages; }

private:
    std::optional<std::string> chooseFile(const std::string& current, bool save);

    MainWindow& m_window;
    QString m_printFile;
    bool m_quiet = false;
    std::vector<std::string> m_quietMessages;
};

}  // namespace zorva::platform
