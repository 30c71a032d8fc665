#include "gui/app/CMainFrame.h"

#include "gui/app/CClientBackgroundWnd.h"
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/LockIndicators.h"
#include "gui/console/CSplitterView.h"
#include "core/console/ConsoleCommands.h"
#include "gui/console/MeterOverview.h"
#include "gui/shared/AppTexts.h"
#include "gui/tree/CControlTreeView.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>

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
    createActions();
    createToolBar();
    createStatusBar();
    createMeterOverview();
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

CSplitterView* CMainFrame::activeConsole() const {
    QMdiSubWindow* window = m_mdiArea->activeSubWindow();
    if (!window && !m_mdiArea->subWindowList().isEmpty())
        window = m_mdiArea->currentSubWindow();
    return qobject_cast<CSplitterView*>(window);
}

void CMainFrame::onConsoleActivated(QMdiSubWindow*) {
    m_meters->setConsole(activeConsole());
    // Focus moving to another top-level window deactivates the console too; the menus stay.
    if (activeConsole() != m_menuConsole || !m_menuConsole)
        rebuildMenus();
    updateCaption();
    updateCommandStates();
}

// "TOVAN Commander V1.2", followed by the active document's title.
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

} // namespace tovan
