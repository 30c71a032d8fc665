#include "gui/app/CTOVANStudioDoc.h"

#include "gui/console/CSplitterView.h"
#include "gui/tree/CControlTreeView.h"

#include <QFileInfo>

namespace tovan {

CTOVANStudioDoc::CTOVANStudioDoc(int templateIndex, CSplitterView* console, QObject* parent)
    : QObject(parent), m_templateIndex(templateIndex), m_console(console) {
    connect(console->tree(), &CControlTreeView::modifiedChanged, this,
            &CTOVANStudioDoc::modifiedChanged);
}

void CTOVANStudioDoc::setPathName(const QString& path) {
    m_path = path;
    setTitle(QFileInfo(path).fileName());
}

void CTOVANStudioDoc::setTitle(const QString& title) {
    if (m_title == title)
        return;
    m_title = title;
    Q_EMIT titleChanged();
}

// The tree marks every change and clears the mark when its list is written or read.
bool CTOVANStudioDoc::isModified() const {
    return m_console && m_console->tree()->isModified();
}

void CTOVANStudioDoc::setModified(bool modified) {
    if (m_console)
        m_console->tree()->setModified(modified);
}

} // namespace tovan
