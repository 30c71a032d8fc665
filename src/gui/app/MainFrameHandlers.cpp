// What the main window's own commands do: documents, printing, editing in the focused pane,
// moving between panes and arranging the consoles.
#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/TrafficPrinter.h"
#include "gui/composer/CPacketViewDlg.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/TrafficFindBar.h"
#include "gui/shared/DialogService.h"
#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"
#include "gui/tree/CControlTreeView.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPrinter>

#include <functional>

namespace tovan {

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
