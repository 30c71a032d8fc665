#include "gui/app/CMainFrame.h"

#include "core/console/ConsoleCommands.h"
#include "gui/app/AppCommands.h"
#include "gui/app/CClientBackgroundWnd.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/LockIndicators.h"
#include "gui/app/MainFrameActions.h"
#include "gui/app/MainFrameMenus.h"
#include "gui/app/MainFramePlans.h"
#include "gui/app/TrafficPrinter.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/MeterOverview.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/shared/AppTexts.h"
#include "gui/shared/DialogService.h"
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/tree/CControlTreeView.h"
#include "gui/wmbus/MeterKeysDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>

#include <functional>

namespace tovan {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("128"));
    setWindowTitle(QString::fromLatin1(texts::APP_TITLE));
    setWindowIcon(QIcon(QStringLiteral(":/tovan/icons/tovan-commander-256.png")));
    setAcceptDrops(true);
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiClient"));
    setCentralWidget(m_mdiArea);
    m_background = new CClientBackgroundWnd(m_mdiArea->viewport());
    m_actions = std::make_unique<MainFrameActions>(*this);
    m_toolBar = m_actions->createToolBar();
    m_menus = std::make_unique<MainFrameMenus>(*this, *m_actions);
    createStatusBar();
    createMeterOverview();
    m_plans = std::make_unique<MainFramePlans>(*this);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::onConsoleActivated);
    rebuildMenus();
    updateCommandStates();
    resize(1024, 720);
}

CMainFrame::~CMainFrame() {
    // The consoles close with the MDI area, after this window's own parts are gone: nothing
    // they signal on their way may reach this window any more.
    m_mdiArea->disconnect(this);
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        window->disconnect(this);
    if (m_documents)
        m_documents->disconnect(this);
}

void CMainFrame::setDocManager(CDocManagerEx* documents) {
    m_documents = documents;
    m_menus->setDocuments(documents);
    connect(documents, &CDocManagerEx::documentsChanged, this, [this] {
        updateCaption();
        updateCommandStates();
        rebuildMenus();
    });
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("59393"));
    bar->showMessage(QStringLiteral("Ready"));
    m_locks = new LockIndicators(bar);
    // Once a prompt has gone, the message pane says the workbench is ready again.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(QStringLiteral("Ready"));
    });
}

// The meter overview docks at the bottom, hidden until asked for, and always shows the active
// console's meters.
void CMainFrame::createMeterOverview() {
    m_meters = new MeterOverview(this);
    m_meterDock = new QDockWidget(QStringLiteral("Meter overview"), this);
    m_meterDock->setObjectName(QStringLiteral("meterDock"));
    m_meterDock->setWidget(m_meters);
    addDockWidget(Qt::BottomDockWidgetArea, m_meterDock);
    m_meterDock->hide();
    QAction* toggle = commandAction(consolecmd::ID_METER_OVERVIEW);
    connect(toggle, &QAction::toggled, m_meterDock, &QDockWidget::setVisible);
    connect(m_meterDock, &QDockWidget::visibilityChanged, toggle,
            [this, toggle](bool) { toggle->setChecked(!m_meterDock->isHidden()); });
}

QAction* CMainFrame::commandAction(int commandId) const {
    return m_actions->action(commandId);
}

QStringList CMainFrame::menuTitles() const {
    return m_menus->titles();
}

void CMainFrame::rebuildMenus() {
    CSplitterView* console = activeConsole();
    m_menuConsole = console;
    m_menuId = console ? console->menuId() : appcmd::IDR_MAINFRAME;
    m_menus->rebuild(console);
}

void CMainFrame::updateCommandStates() {
    m_actions->updateStates(activeConsole());
}

void CMainFrame::addConsole(CSplitterView* console) {
    m_mdiArea->addSubWindow(console);
    connect(console, &CSplitterView::commandStatesChanged, this, &CMainFrame::updateCommandStates);
    console->showMaximized();
    activateConsole(console);
}

void CMainFrame::activateConsole(CSplitterView* console) {
    if (!console)
        return;
    if (console->isMinimized())
        console->showNormal();
    m_mdiArea->setActiveSubWindow(console);
    console->tree()->setFocus();
    raise();
    activateWindow();
}

void CMainFrame::editMeterKeys() {
    MeterKeysDialog::edit(this, [this](const MeterKeys& keys) { applyMeterKeys(keys); });
}

void CMainFrame::applyMeterKeys(const MeterKeys& keys) {
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* console = qobject_cast<CSplitterView*>(window))
            if (console->family() == ModuleFamily::VM77)
                console->console().traffic().setMeterKeys(keys);
}

CSplitterView* CMainFrame::activeConsole() const {
    QMdiSubWindow* window = m_mdiArea->activeSubWindow();
    if (!window && !m_mdiArea->subWindowList().isEmpty())
        window = m_mdiArea->currentSubWindow();
    return qobject_cast<CSplitterView*>(window);
}

// The meter overview is for VM77 consoles: it steps aside while a VX31 console is active and
// comes back with the next VM77 console it was shown for.
void CMainFrame::followActiveFamily() {
    CSplitterView* console = activeConsole();
    const bool vm77 = console && console->family() == ModuleFamily::VM77;
    if (!vm77 && m_meterDock->isVisible()) {
        m_meterDockAside = true;
        m_meterDock->hide();
    } else if (vm77 && m_meterDockAside) {
        m_meterDockAside = false;
        m_meterDock->show();
    }
}

void CMainFrame::onConsoleActivated(QMdiSubWindow*) {
    m_meters->setConsole(activeConsole());
    followActiveFamily();
    m_plans->setConsole(activeConsole());
    // Focus moving to another top-level window deactivates the console too; the menus stay.
    if (activeConsole() != m_menuConsole || !m_menuConsole)
        rebuildMenus();
    updateCaption();
    updateCommandStates();
}

// "TOVAN Commander V" and the version, followed by the active document's title.
void CMainFrame::updateCaption() {
    QString caption = QString::fromLatin1(texts::APP_TITLE);
    if (m_documents)
        if (CTOVANStudioDoc* document = m_documents->documentOf(activeConsole()))
            caption += QStringLiteral(" - ") + document->title();
    setWindowTitle(caption);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_documents && !m_documents->saveAllModified()) {
        event->ignore();
        return;
    }
    // Every document was saved or given up: the consoles close without asking again.
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* console = qobject_cast<CSplitterView*>(window))
            console->setCloseGuard(nullptr);
    m_mdiArea->closeAllSubWindows();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// Files dropped from the desktop open as documents, each through the open-document operation.
void CMainFrame::dropEvent(QDropEvent* event) {
    if (!m_documents)
        return;
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            m_documents->openDocumentFile(url.toLocalFile());
}

// --- Commands --------------------------------------------------------------------------------

void CMainFrame::fileNew() {
    if (m_documents)
        m_documents->newDocument();
}

void CMainFrame::fileOpen() {
    if (m_documents)
        m_documents->promptOpen();
}

void CMainFrame::fileClose() {
    if (CSplitterView* console = activeConsole())
        console->close();
}

void CMainFrame::fileSave() {
    if (m_documents)
        m_documents->saveDocument(m_documents->documentOf(activeConsole()));
}

void CMainFrame::fileSaveAs() {
    if (m_documents)
        m_documents->saveDocumentAs(m_documents->documentOf(activeConsole()));
}

void CMainFrame::printActiveConsole() {
    CSplitterView* console = activeConsole();
    if (!console)
        return;
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    if (dialogs().printDialog(this, *m_printer))
        printTraffic(console->outputWindow()->model().store(), *m_printer);
}

void CMainFrame::filePrint() {
    printActiveConsole();
}

void CMainFrame::filePrintSetup() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    dialogs().pageSetupDialog(this, *m_printer);
}

namespace {

// The edit commands go to the pane that has the focus: a field of the composer, or the traffic
// window (which copies, and pastes only where it is writable).
void editInFocus(int windowCommand, const std::function<void(QLineEdit*)>& fieldCommand) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* field = qobject_cast<QLineEdit*>(focus)) {
        fieldCommand(field);
        return;
    }
    for (QWidget* widget = focus; widget; widget = widget->parentWidget())
        if (auto* window = qobject_cast<ColorEditWnd*>(widget)) {
            window->runCommand(windowCommand);
            return;
        }
}

} // namespace

void CMainFrame::editUndo() {
    editInFocus(coloredit::ID_EDIT_UNDO, [](QLineEdit* field) { field->undo(); });
}

void CMainFrame::editCut() {
    editInFocus(coloredit::ID_EDIT_CUT, [](QLineEdit* field) { field->cut(); });
}

void CMainFrame::editCopy() {
    editInFocus(coloredit::ID_EDIT_COPY, [](QLineEdit* field) { field->copy(); });
}

void CMainFrame::editPaste() {
    editInFocus(coloredit::ID_EDIT_PASTE, [](QLineEdit* field) { field->paste(); });
}

void CMainFrame::editFind() {
    if (CSplitterView* console = activeConsole())
        console->findBar()->openFind();
}

namespace {

// The panes the focus moves through: tree, traffic window, composer.
QList<QWidget*> panesOf(CSplitterView* console) {
    return {console->tree(), console->outputWindow(), console->composer()};
}

void movePane(CSplitterView* console, int step) {
    if (!console)
        return;
    const QList<QWidget*> panes = panesOf(console);
    int current = -1;
    for (int i = 0; i < panes.size(); ++i)
        if (panes[i]->isAncestorOf(QApplication::focusWidget()) ||
            panes[i] == QApplication::focusWidget())
            current = i;
    const int next =
        (current + step + static_cast<int>(panes.size())) % static_cast<int>(panes.size());
    // The composer passes the focus on to its first field.
    QWidget* target = panes[next];
    if (next == 2 && target->nextInFocusChain() && target->isAncestorOf(target->nextInFocusChain()))
        target = target->nextInFocusChain();
    target->setFocus(Qt::TabFocusReason);
}

} // namespace

void CMainFrame::nextPane() {
    movePane(activeConsole(), 1);
}

void CMainFrame::previousPane() {
    movePane(activeConsole(), -1);
}

void CMainFrame::windowCascade() {
    m_mdiArea->cascadeSubWindows();
}

void CMainFrame::windowTile() {
    m_mdiArea->tileSubWindows();
}

} // namespace tovan
