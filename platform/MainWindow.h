// The main window "zorva": menu "ZORVA", context menus, the client area, the editor and its Qt host.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/QtHost.h"
#include "shell/Editor.h"
#include "shell/commands/CommandTable.h"
#include "shell/input/Input.h"

class QApplication;
class QCoreApplication;
class QMenu;

namespace zorva::platform {

class ImageArea;

struct WindowOptions {
    // Where the undo snapshots go (the folder core::UndoFolder claimed).
    std::string undoFolder;
    // Start-up step before the work arena: loads the three symbol bases,
    // reporting a missing one through the editor's messages. Empty: no bases.
    std::function<void(shell::Editor&)> loadSymbolBases;
    // The tools' pointer actions; null: no tool draws.
    std::unique_ptr<shell::PointerTools> tools;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(WindowOptions options);
    ~MainWindow() override;

    // The rest of start-up, in order: the symbol bases, the work arena, then
    // the window is shown. False when the arena could not be reserved (the
    // message was shown): the program must end.
    bool startUp();
    // `zorva FILE`: opens FILE as the Open command would, without its dialog.
    bool openAtStart(const std::string& path);

    shell::Editor& editor() { return m_editor; }
    QtHost& host() { return m_host; }
    ImageArea& area() { return *m_area; }

    // The action of command `id` in the main menu, or null.
    QAction* menuAction(shell::CommandId id) const;
    // Submenu 0, 1 or 2 of the context menu.
    QMenu* contextMenu(int submenu) const { return m_context[size_t(submenu)]; }
    // What every menu does as it opens: the enable rule and the check marks.
    void applyMenuRules();
    // A menu item or shortcut: the command through the dispatcher.
    void runCommand(shell::CommandId id);
    // Opens `path` as "Открыть" would once its dialog answered, the
    // unsaved-changes question first (recent files, a dropped file).
    bool openFile(const QString& path);
    // A picture opened or saved: first in the recent files (at most 8, kept
    // in the settings), its folder the file dialogs' next.
    void rememberFile(const QString& path);
    // Writes the recent files and the last folder that rememberFile left for
    // the event loop, now (before a file dialog reads the folder).
    void writeSettings();
    // The recent-file items at the foot of the "Файл" menu, newest first.
    QList<QAction*> recentActions() const { return m_recent; }

public slots:
    void popUpContextMenu(int submenu, const QPoint& globalPos);

protected:
    // Closing the window asks about unsaved changes; Отмена keeps it open.
    void closeEvent(QCloseEvent* event) override;
    // A picture file dragged from a file manager opens as "Открыть" would.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void rebuildRecentItems(const QStringList& recent);
    // The recent files as the settings file holds them.
    static QStringList StoredRecentFiles();
    void addItems(QMenu* menu, std::span<const shell::MenuNode> nodes, bool connectItems);
    QAction* makeAction(const shell::MenuNode& node, QObject* parent, bool connectItem);

    WindowOptions m_options;
    QtHost m_host;
    shell::Editor m_editor;
    std::unique_ptr<shell::PointerTools> m_tools;
    ImageArea* m_area = nullptr;
    std::vector<std::pair<QAction*, shell::CommandId>> m_mainActions;
    std::vector<std::pair<QAction*, shell::CommandId>> m_contextActions;
    std::array<QMenu*, 3> m_context{};
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recent;
    // What rememberFile has not written to the settings file yet.
    std::optional<QStringList> m_unwrittenRecent;
    QString m_unwrittenFolder;
};

// How many pictures the "Файл" menu remembers.
inline constexpr int kRecentFiles = 8;

// Qt's own dialogs (files, colours, printing, the buttons of message boxes)
// in Russian like the menus, whatever the system's locale: Qt's qtbase_ru
// from its translations folder. False when it is not installed.
bool InstallRussianTranslation(QCoreApplication& app);

// The whole window program: translations, icon, start-up, the file named on
// the command line, the event loop. Returns the exit code.
int RunZorva(QApplication& app);

}  // namespace zorva::platform
