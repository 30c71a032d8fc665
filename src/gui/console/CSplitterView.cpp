#include "gui/console/CSplitterView.h"

#include "core/console/ConsoleCommands.h"
#include "core/hub/ConsoleMessage.h"
#include "core/serial/SerialChannel.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CMessageViewDlg.h"
#include "gui/console/ConsoleStatusLine.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/serial/CComSettingsDlg.h"
#include "gui/serial/PortList.h"
#include "gui/serial/PortSettingsMemory.h"
#include "gui/shared/DialogService.h"
#include "gui/shared/DialogUnits.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/tree/CControlTreeView.h"
#include "gui/tree/TreeImages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tovan {
namespace {

QString fromLocal(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The composer's buttons and period end at 316 dialog units in either family.
constexpr int COMPOSER_MIN_WIDTH_DLU = 320;

} // namespace

CSplitterView::CSplitterView(ModuleFamily family, QWidget* parent)
    : QMdiSubWindow(parent), m_family(family) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/tovan/icons/tovan-commander-16.png")));
    m_frame = new QWidget(this);
    m_status = new ConsoleStatusLine(m_frame);
    m_console = std::make_unique<ModuleConsole>(
        family,
        ModuleConsole::Host{*this, *m_status, *this,
                            [this](std::function<void()> task) { postToConsole(std::move(task)); }},
        SerialChannel::forFamily(family));
    m_console->traffic().setMetersListener([this] { Q_EMIT metersChanged(); });
    m_reconnectTimer.setInterval(500);
    connect(&m_reconnectTimer, &QTimer::timeout, this, [this] { m_console->retryReconnect(); });
    m_actions.create(this, m_family, [this](int id) {
        m_console->runCommand(id);
        updateCommandActions();
    });
    connect(m_status, &ConsoleStatusLine::paneDoubleClicked, this, [this](int pane) {
        m_console->statusBarDoubleClicked(pane);
        updateCommandActions();
    });
}

CSplitterView::~CSplitterView() {
    // Readers and the test sequence must be gone before the panes they show into, and the
    // panes, destroyed after the console, must not call it any more.
    m_console->windowClosing();
    if (m_tree)
        m_tree->setConsoleWindow(nullptr);
    if (m_composer)
        m_composer->SetTargetWindow(nullptr);
    if (m_findBar)
        m_findBar->detachConsole();
}

// Queued on this window's thread; a task still queued when the window goes is dropped.
void CSplitterView::postToConsole(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void CSplitterView::OnCreateClient() {
    setWindowTitle(QString::fromLatin1(modelName(m_family).data(),
                                       static_cast<qsizetype>(modelName(m_family).size())));
    m_console->initStatusLine();
    startOnRememberedPort();

    m_main = new QSplitter(Qt::Horizontal, m_frame);
    m_main->setObjectName(QStringLiteral("mainSplitter"));
    m_main->setChildrenCollapsible(false);
    m_left = new QSplitter(Qt::Vertical, m_main);
    m_left->setObjectName(QStringLiteral("leftSplitter"));
    m_left->setChildrenCollapsible(false);
    createTreePane();
    m_logo = new CMessageViewDlg(m_left);
    m_logo->setMinimumHeight(80);

    m_right = new QSplitter(Qt::Vertical, m_main);
    m_right->setObjectName(QStringLiteral("rightSplitter"));
    m_right->setChildrenCollapsible(false);
    createOutputWindow();
    // Below its controls' width the form scrolls, so Save, Transmit and Activate stay
    // reachable in a narrow console.
    auto* scroller = new QScrollArea(m_right);
    scroller->setObjectName(QStringLiteral("composerScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setMinimumHeight(50);
    m_composer = createComposer(scroller);
    m_composer->setObjectName(QString::number(COMPOSER_ID));
    m_composer->setMinimumSize(dlu::toPixels(QSize(COMPOSER_MIN_WIDTH_DLU, 40)));
    m_composer->SetTargetWindow(m_console.get());
    scroller->setWidget(m_composer);

    auto* layout = new QVBoxLayout(m_frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_status);
    layout->addWidget(m_main, 1);
    setWidget(m_frame);
    m_main->installEventFilter(this);
    applyInitialSizes();
    updateCommandActions();
}

void CSplitterView::createTreePane() {
    m_tree = new CControlTreeView(m_left);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->resize(200, 50);
    m_tree->setConsoleWindow(m_console.get());
    m_tree->setImageList(treeImageList(m_family));
    m_tree->setRootItem(rootLabel());
}

// The traffic window, with the find bar under it (hidden until Ctrl+F).
void CSplitterView::createOutputWindow() {
    auto* pane = new QWidget(m_right);
    pane->setObjectName(QStringLiteral("trafficPane"));
    pane->setMinimumHeight(50);
    m_output =
        new ColorEditWnd(pane, OUTPUT_WINDOW_ID, 4, 100, QStringLiteral("Courier New"), true);
    m_findBar = new TrafficFindBar(*m_output, *m_console, pane);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_output, 1);
    layout->addWidget(m_findBar);
    m_output->AddCharSpacing(1);
    m_output->SetSelectionBackColour(0x000000);
    m_output->SetReadOnly(true);
    m_output->SetSelection(0, 0, 10, 40);
    m_output->SetSelectionTextColour(0x0000FF);
    m_console->showBanner();
}

void CSplitterView::updateCommandActions() {
    m_actions.update(*m_console);
    Q_EMIT commandStatesChanged();
}

// The MDI client area the console lives in, or the console's own size when it has none yet.
QSize CSplitterView::clientAreaSize() const {
    if (const QMdiArea* area = mdiArea())
        return area->viewport()->size();
    return size();
}

namespace {

// The first pane gets `first` pixels, the second whatever the splitter has left.
void splitAt(QSplitter* splitter, int first, int total) {
    const int room = std::max(0, total - splitter->handleWidth());
    splitter->setSizes({first, std::max(1, room - first)});
}

// The second pane gets `second` pixels, the first what is left, at least `minimum`.
void splitBefore(QSplitter* splitter, int second, int minimum, int total) {
    const int room = std::max(0, total - splitter->handleWidth());
    splitter->setSizes({std::max(minimum, room - second), second});
}

} // namespace

void CSplitterView::applyInitialSizes() {
    const QSize client = clientAreaSize();
    splitAt(m_main, 250, client.width());
    splitBefore(m_right, 140, 100, client.height());
    splitBefore(m_left, 185, 1, client.height());
}

// Column 0 keeps 250 pixels and the lower panes their heights, as long as the console is
// high enough for them.
void CSplitterView::applyResizeSizes(int width, int height) {
    splitAt(m_main, 250, width);
    if (height > 250) {
        splitBefore(m_left, 185, 80, height);
        splitBefore(m_right, 140, 50, height);
    }
}

// The panes follow the console's size as soon as the splitters have their new size.
bool CSplitterView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_main && event->type() == QEvent::Resize)
        applyResizeSizes(m_main->width(), m_main->height());
    return QMdiSubWindow::eventFilter(watched, event);
}

void CSplitterView::closeEvent(QCloseEvent* event) {
    if (!m_closed && m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        m_console->windowClosing();
        m_tree->setActiveView(true);
    }
    QMdiSubWindow::closeEvent(event);
}

bool CSplitterView::SaveCommandList(const std::string& path) {
    if (m_console->SaveCommandList(path))
        return true;
    // The tree may have been written into the file that was then not put in place.
    m_tree->setModified(true);
    return false;
}

void CSplitterView::layoutFields() {
    m_composer->LayoutFields();
}

void CSplitterView::loadFrameText(std::string_view text) {
    m_composer->LoadFrameText(text);
}

void CSplitterView::setPortOpen(bool open) {
    m_composer->SetPortOpen(open);
    updateCommandActions();
}

void CSplitterView::setSelectedData(std::uint32_t length, const std::uint8_t* data) {
    m_tree->setSelectedData(length, data);
}

void CSplitterView::resendSelection() {
    m_tree->resendSelection();
}

bool CSplitterView::saveList(const std::string& path) {
    return m_tree->saveList(path);
}

bool CSplitterView::reloadList(const std::string& path) {
    return m_tree->reloadList(path);
}

void CSplitterView::addLine(std::string_view text, Colour colour) {
    m_output->AddLine(text, colour);
}

void CSplitterView::clearOutput() {
    m_output->Reset();
    m_output->viewport()->repaint();
}

void CSplitterView::waitForPort(bool waiting) {
    if (waiting)
        m_reconnectTimer.start();
    else
        m_reconnectTimer.stop();
    updateCommandActions();
}

// Ports lost together (a simulator, a USB hub or a lab server gone) are told in one box, once
// the windows have handled their losses; one lost port keeps its own words.
void CSplitterView::portLost(const std::string& portName) {
    static QStringList lost;
    lost << QString::fromStdString(portName);
    if (lost.size() > 1)
        return;
    QTimer::singleShot(50, qApp, [] {
        const QStringList names = std::exchange(lost, {});
        const QString text =
            names.size() == 1
                ? QStringLiteral("Communication port %1 lost.").arg(names.first())
                : QStringLiteral("Communication ports %1 lost.").arg(names.join(QStringLiteral(", ")));
        dialogs().messageBox(nullptr, text, QStringLiteral("Communication Error"),
                             DialogService::Icon::Error, DialogService::Buttons::Ok);
    });
}

void CSplitterView::showError(const std::string& text, const std::string& caption) {
    dialogs().messageBox(this, fromLocal(text), fromLocal(caption), DialogService::Icon::Error,
                         DialogService::Buttons::Ok);
}

std::string CSplitterView::chooseLogFile() {
    const QString path =
        dialogs().saveFileName(this, QStringLiteral("Save As"), QStringLiteral("txt"), QString());
    return path.toLocal8Bit().toStdString();
}

bool CSplitterView::editPortSettings(PortSettings& settings, std::string& portText,
                                     std::string& baudText) {
    const auto texts = editComSettings(this, settings);
    if (!texts)
        return false;
    portText = texts->port;
    baudText = texts->baud;
    ComSettingsForm chosen = ComSettingsForm::fromSettings(settings);
    chosen.baudText = baudText;
    PortSettingsMemory::remember(m_family, chosen);
    return true;
}

// The settings the last console of the family was given, or the first port that exists.
void CSplitterView::startOnRememberedPort() {
    PortSettings settings = m_console->state().port;
    const auto form = PortSettingsMemory::startingSettings(
        m_family, ComSettingsForm::fromSettings(settings), availablePortNames());
    if (!form)
        return;
    const ComSettingsForm::StatusTexts texts = form->applyTo(settings);
    m_console->setPortSettings(settings);
    m_status->setPaneText(StatusLine::PORT_NAME, texts.port);
    m_status->setPaneText(StatusLine::BAUD, texts.baud);
}

} // namespace tovan
