// The main window: menus built from the command table, menu rules on opening, start-up and the event loop.
#include "platform/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QTranslator>

#include "core/UndoRing.h"
#include "platform/ImageArea.h"
#include "platform/PaletteIcons.h"
#include "platform/ProgramFolder.h"
#include "shell/commands/DocumentCommands.h"
#include "shell/input/Tools.h"

namespace zorva::platform {

namespace {
QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
}  // namespace

MainWindow::MainWindow(WindowOptions options)
    : m_options(std::move(options)),
      m_host(*this),
      m_editor(m_host, m_options.undoFolder),
      m_tools(m_options.tools ? std::move(m_options.tools) : std::make_unique<shell::PointerTools>()) {
    setWindowTitle(QStringLiteral("zorva"));
    setWindowIcon(ProgramIcon());

    // The menu "ZORVA": submenus, and the two arrows as items of the bar itself.
    for (const shell::MenuNode& node : shell::MainMenu()) {
        if (node.children.empty()) {
            menuBar()->addAction(makeAction(node, menuBar(), true));
            continue;
        }
        QMenu* menu = menuBar()->addMenu(Text(node.text));
        addItems(menu, node.children, true);
        if (!m_fileMenu) m_fileMenu = menu;
    }
    // The recent files below the menu's own items.
    m_recentSeparator = m_fileMenu->addSeparator();
    rebuildRecentItems(StoredRecentFiles());
    for (int i = 0; i < 3; ++i) {
        m_context[size_t(i)] = new QMenu(this);
        addItems(m_context[size_t(i)], shell::ContextMenu(i).children, false);
    }

    // The client area; its placeholder shows until the first document.
    m_area = new ImageArea(m_editor, *m_tools, m_host, this);
    setCentralWidget(m_area);
    m_area->setFocus();
    connect(m_area, &ImageArea::contextMenuRequested, this, &MainWindow::popUpContextMenu);
    connect(m_area, &ImageArea::painted, this, &MainWindow::writeSettings, Qt::QueuedConnection);
    setAcceptDrops(true);

    // Position and size are the system's; the size a quarter less than the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableSize() * 3 / 4);
    applyMenuRules();
}

MainWindow::~MainWindow() {
    writeSettings();
}

QAction* MainWindow::makeAction(const shell::MenuNode& node, QObject* parent, bool connectItem) {
    const auto id = shell::CommandId(node.id);
    // The text after the tab is the shortcut label QMenu shows on the right;
    // the keys themselves go through the shell's key handler.
    auto* action = new QAction(Text(shell::MenuText(node)), parent);
    action->setData(int(node.id));
    action->setCheckable(shell::IsCheckable(id));
    if (connectItem) {
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_mainActions.emplace_back(action, id);
    } else {
        m_contextActions.emplace_back(action, id);
    }
    return action;
}

void MainWindow::addItems(QMenu* menu, std::span<const shell::MenuNode> nodes, bool connectItems) {
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::applyMenuRules);
    for (const shell::MenuNode& node : nodes) {
        if (node.separator) {
            menu->addSeparator();
        } else if (!node.children.empty()) {
            addItems(menu->addMenu(Text(node.text)), node.children, connectItems);
        } else {
            menu->addAction(makeAction(node, menu, connectItems));
        }
    }
}

QAction* MainWindow::menuAction(shell::CommandId id) const {
    for (const auto& [action, actionId] : m_mainActions)
        if (actionId == id) return action;
    return nullptr;
}

void MainWindow::applyMenuRules() {
    const shell::EditorState& state = m_editor.state();
    for (const auto* actions : {&m_mainActions, &m_contextActions})
        for (const auto& [action, id] : *actions) {
            action->setEnabled(shell::IsEnabled(m_editor, id));
            if (action->isCheckable()) action->setChecked(shell::IsChecked(state, id));
        }
}

void MainWindow::runCommand(shell::CommandId id) {
    {
        const CommandScope command(m_host);
        m_editor.dispatch(id);
    }
    // Qt flips a checkable item by itself; the state decides.
    applyMenuRules();
    m_area->syncFromState();
}

void MainWindow::popUpContextMenu(int submenu, const QPoint& globalPos) {
    QMenu* menu = contextMenu(submenu);
    applyMenuRules();
    const QAction* chosen = menu->exec(globalPos);
    // Keys released while the menu had the keyboard never reach the window.
    shell::ResetModifiers(m_editor);
    if (chosen) {
        {
            const CommandScope command(m_host);
            shell::RunContextCommand(m_editor, shell::CommandId(chosen->data().toInt()));
        }
        applyMenuRules();
    }
    m_area->syncFromState();
}

// ---- files ----

bool MainWindow::openFile(const QString& path) {
    bool opened = false;
    {
        const CommandScope command(m_host);
        opened = shell::OpenFile(m_editor, QFile::encodeName(path).toStdString());
    }
    applyMenuRules();
    m_area->syncFromState();
    return opened;
}

void MainWindow::rememberFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList recent = m_unwrittenRecent ? *m_unwrittenRecent : StoredRecentFiles();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentFiles) recent.removeLast();
    m_unwrittenRecent = recent;
    m_unwrittenFolder = QFileInfo(absolute).absolutePath();
    rebuildRecentItems(recent);
    // Writing the settings file (a new copy, synced to disk, renamed) took
    // 2 ms of every open before the picture showed: it waits until the
    // picture area has painted, or a second when nothing paints.
    QTimer::singleShot(1000, this, &MainWindow::writeSettings);
}

void MainWindow::writeSettings() {
    if (!m_unwrittenRecent) return;
    QSettings settings{QLatin1String(kSettingsName), QLatin1String(kSettingsName)};
    settings.setValue(QLatin1String(kRecentFilesKey), *m_unwrittenRecent);
    settings.setValue(QLatin1String(kLastFolderKey), m_unwrittenFolder);
    m_unwrittenRecent.reset();
}

QStringList MainWindow::StoredRecentFiles() {
    const QSettings settings{QLatin1String(kSettingsName), QLatin1String(kSettingsName)};
    return settings.value(QLatin1String(kRecentFilesKey)).toStringList();
}

void MainWindow::rebuildRecentItems(const QStringList& recent) {
    for (QAction* action : m_recent) {
        m_fileMenu->removeAction(action);
        delete action;
    }
    m_recent.clear();
    for (const QString& path : recent) {
        if (m_recent.size() == kRecentFiles) break;
        // "&1 photo.jpg": the number is the access key; the whole path shows as the tip.
        QString name = QFileInfo(path).fileName();
        name.replace(u'&', QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(m_recent.size() + 1).arg(name), m_fileMenu);
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openFile(path); });
        m_fileMenu->addAction(action);
        m_recent.append(action);
    }
    m_fileMenu->setToolTipsVisible(true);
    m_recentSeparator->setVisible(!m_recent.isEmpty());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Nothing is saved at shutdown unless the user says so; saving is a
    // command like any other.
    const CommandScope command(m_host);
    if (shell::MayReplaceDocument(m_editor))
        event->accept();
    else
        event->ignore();
    m_area->syncFromState();
}

namespace {

// The first local file among the dragged URLs, or empty.
QString DroppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return {};
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
    return {};
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over: the question and the message boxes must
    // not hold the program the file came from.
    QTimer::singleShot(0, this, [this, path] {
        activateWindow();
        openFile(path);
    });
}

bool MainWindow::startUp() {
    if (m_options.loadSymbolBases) m_options.loadSymbolBases(m_editor);
    // Without the work area no command could run: the caller ends the program.
    if (!m_editor.reserveArena()) return false;
    show();
    return true;
}

bool MainWindow::openAtStart(const std::string& path) {
    const std::string previous = m_editor.state().currentFilePath;
    m_editor.state().currentFilePath = path;
    if (m_editor.loadDocument(path, shell::InstallKind::Open)) {
        applyMenuRules();
        m_area->syncFromState();
        return true;
    }
    m_editor.state().currentFilePath = previous;
    return false;
}

namespace {

// The file dialog's type texts for folders and drives, which Qt 6 asks for
// in the context QAbstractFileIconProvider: Debian's qtbase_ru (Qt 6.4) has
// no such context, so a folder's type showed as "Folder" among Russian
// columns. Consulted after qtbase_ru: a catalogue that has them wins.
class FileTypeTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const std::pair<const char*, const char*> kTexts[] = {
            {"Folder", "Папка"}, {"File Folder", "Папка"}, {"Drive", "Диск"}, {"File", "Файл"}, {"%1 File", "Файл %1"},
        };
        for (const auto& [english, russian] : kTexts)
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(russian);
        return {};
    }
};

}  // namespace

bool InstallRussianTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    // The translator installed last is asked first.
    QCoreApplication::installTranslator(new FileTypeTranslator(&app));
    QCoreApplication::installTranslator(translator);
    // Numbers and dates in Qt's own dialogs the Russian way too (the print
    // dialog's margins, the file types). The window's own dialogs and status
    // fields print and read their numbers without QLocale (whole numbers from
    // the dialog models), so nothing of theirs changes.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return true;
}

int RunZorva(QApplication& app) {
    InstallRussianTranslation(app);
    QApplication::setWindowIcon(ProgramIcon());

    // Held for the whole run: no other copy of the program writes these files.
    const core::UndoFolder undoFolder = core::UndoFolder::Claim(ProgramFolder());
    WindowOptions options;
    options.undoFolder = undoFolder.path();
    options.tools = std::make_unique<shell::EditorTools>();
    options.loadSymbolBases = [](shell::Editor& editor) {
        editor.loadSymbolBases(shell::SymbolBaseFolder(ProgramFolder()));
    };
    MainWindow window(std::move(options));
    if (!window.startUp()) return 1;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) window.openAtStart(QFile::encodeName(args.at(1)).toStdString());
    return QApplication::exec();
}

}  // namespace zorva::platform
