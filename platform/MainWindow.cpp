// The main window: menus built from the command table, menu rules on opening, start-up and the event loop.
#include "platform/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTranslator>

#include "core/UndoRing.h"
#include "platform/ImageArea.h"
#include "platform/PaletteIcons.h"
#include "platform/ProgramFolder.h"
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
    }
    for (int i = 0; i < 3; ++i) {
        m_context[size_t(i)] = new QMenu(this);
        addItems(m_context[size_t(i)], shell::ContextMenu(i).children, false);
    }

    // The client area; its placeholder shows until the first document.
    m_area = new ImageArea(m_editor, *m_tools, this);
    setCentralWidget(m_area);
    m_area->setFocus();
    connect(m_area, &ImageArea::contextMenuRequested, this, &MainWindow::popUpContextMenu);

    // Position and size are the system's; the size a quarter less than the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableSize() * 3 / 4);
    applyMenuRules();
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::makeAction(const shell::MenuNode& node, QObject* parent, bool connectItem) {
    const auto id = shell::CommandId(node.id);
    // The text after the tab is the shortcut label QMenu shows on the right;
    // the keys themselves go through the shell's key handler.
    auto* action = new QAction(Text(node.text), parent);
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
    m_editor.dispatch(id);
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
        shell::RunContextCommand(m_editor, shell::CommandId(chosen->data().toInt()));
        applyMenuRules();
    }
    m_area->syncFromState();
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
        return true;
    }
    m_editor.state().currentFilePath = previous;
    return false;
}

int RunZorva(QApplication& app) {
    // Qt's own dialogs (files, colours, printing) in the user's language.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
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
