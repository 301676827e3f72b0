// The window's side of the editor: Qt message boxes, dialogs, status bar, repaints, decoder, printer.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include "shell/Host.h"

namespace zorva::platform {

// The user's settings of the window, QSettings(kSettingsName, kSettingsName):
// ~/.config/zorva/zorva.conf.
inline constexpr char kSettingsName[] = "zorva";
inline constexpr char kLastFolderKey[] = "lastFolder";    // the folder of the last file dialog
inline constexpr char kRecentFilesKey[] = "recentFiles";  // the last pictures opened or saved, newest first

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
    // Asks the clipboard's owner for its list of formats once, and for the
    // picture only when the list holds one: an owner that never answers
    // costs one of Qt's timeouts, not one per image type Qt reads.
    std::optional<core::BmpImage> clipboardPicture() override;
    // A progress dialog (photo n of N, time left) with "Отмена"; the window
    // keeps painting meanwhile.
    bool folderProgress(const shell::FolderProgress& progress) override;
    shell::SaveChoice askSaveChanges(std::string_view question, std::string_view caption) override;
    void titleChanged(std::string_view title) override;
    void rememberFile(const std::string& path) override;

    // Around one command from a menu, key or mouse (through CommandScope):
    // the busy pointer (taken away while a dialog or message box waits for
    // the user), and the progress dialog closed when the command ends.
    void beginCommand();
    void endCommand();
    // The folder run's progress dialog while it is shown (tests).
    QProgressDialog* progressDialog() const { return m_progress; }

    // Prints into this PDF file without asking (tests, scripts); empty: ask.
    void setPrintFile(const QString& pdfFile) { m_printFile = pdfFile; }
    // Answers message boxes without showing them, recording their texts
    // (tests and screenshots under a display nobody looks at).
    void setQuiet(bool quiet) { m_quiet = quiet; }
    const std::vector<std::string>& quietMessages() const { return m_quietMessages; }

    friend class UserTurn;

private:
    std::optional<std::string> chooseFile(const std::string& current, bool save);

    MainWindow& m_window;
    QString m_printFile;
    bool m_quiet = false;
    std::vector<std::string> m_quietMessages;
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_progressShown;
    int m_commandDepth = 0;
    bool m_busyShown = false;
};

// One command from a menu, a key or the mouse, from its start to its end on
// every way out of the scope: the busy pointer meanwhile, the user's own
// pointer (and no progress dialog) afterwards. Scopes nest.
class CommandScope {
public:
    explicit CommandScope(QtHost& host) : m_host(host) { m_host.beginCommand(); }
    ~CommandScope() { m_host.endCommand(); }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    QtHost& m_host;
};

// While the user has the word (a message box, a dialog): the busy pointer of
// the running command is put away, and back afterwards.
class UserTurn {
public:
    explicit UserTurn(QtHost& host);
    ~UserTurn();
    UserTurn(const UserTurn&) = delete;
    UserTurn& operator=(const UserTurn&) = delete;

private:
    QtHost& m_host;
    bool m_wasBusy;
};

}  // namespace zorva::platform
