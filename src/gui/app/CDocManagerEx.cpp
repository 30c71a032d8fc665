#include "gui/app/CDocManagerEx.h"

#include "core/tree/CommandListHeader.h"
#include "gui/app/CTOVANStudioDoc.h"
#include "gui/app/ConsoleWindowHost.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/CSplitterViewVM77.h"
#include "gui/console/CVX3xSplitterView.h"
#include "gui/shared/AppTexts.h"
#include "gui/shared/DialogService.h"

#include <QFile>
#include <QFileInfo>

namespace tovan {
namespace {

std::string toLocal(const QString& path) {
    return path.toLocal8Bit().toStdString();
}

// A path as the list of open documents compares it: absolute, links resolved when the file
// exists.
QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

} // namespace

CDocManagerEx::CDocManagerEx(ConsoleWindowHost& host, QObject* parent)
    : QObject(parent), m_host(host) {}

CDocManagerEx::~CDocManagerEx() = default;

void CDocManagerEx::failed(const char* text) {
    dialogs().messageBox(m_host.dialogParent(), QString::fromLatin1(text),
                         QString::fromLatin1(texts::APP_TITLE), DialogService::Icon::Warning,
                         DialogService::Buttons::Ok);
}

CTOVANStudioDoc* CDocManagerEx::newDocument() {
    if (m_templates.empty())
        return nullptr;
    int index = 0;
    if (m_templates.size() > 1) {
        QStringList names;
        for (const DocumentTemplate& kind : m_templates)
            names << kind.documentName;
        index = dialogs().chooseFromList(m_host.dialogParent(), QStringLiteral("New"), names);
        if (index < 0 || index >= static_cast<int>(m_templates.size()))
            return nullptr;
    }
    return openWithTemplate(index, QString());
}

CTOVANStudioDoc* CDocManagerEx::promptOpen() {
    const QString path =
        dialogs().openFileName(m_host.dialogParent(), QStringLiteral("Open"),
                               m_templates.front().filterName + QStringLiteral(";;All Files (*)"));
    return path.isEmpty() ? nullptr : openDocumentFile(path);
}

CTOVANStudioDoc* CDocManagerEx::openDocumentFile(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    // A file that no longer exists is created empty, as reading its header always did.
    const QFileInfo info(path);
    QFile file(path);
    const bool readable =
        info.exists() ? info.isFile() && info.isReadable() : file.open(QIODevice::WriteOnly);
    file.close();
    if (!readable) {
        m_recent.remove(path);
        failed("Failed to open document.");
        return nullptr;
    }
    std::vector<std::string> names;
    for (const DocumentTemplate& kind : m_templates)
        names.push_back(kind.documentName.toStdString());
    const auto index = static_cast<int>(documentKindFor(toLocal(path), names));
    return openWithTemplate(index, path);
}

CTOVANStudioDoc* CDocManagerEx::openWithTemplate(int index, QString path) {
    if (index < 0 || index >= static_cast<int>(m_templates.size()))
        return nullptr;
    if (path.startsWith('"'))
        path.remove(0, 1);
    if (CTOVANStudioDoc* open = findOpen(path)) {
        m_host.activateConsole(open->console());
        return open;
    }
    CTOVANStudioDoc* document = createDocument(index);
    if (path.isEmpty()) {
        const int number = ++m_untitledCounts[static_cast<std::size_t>(index)];
        document->setTitle(m_templates[static_cast<std::size_t>(index)].documentName +
                           QString::number(number));
    } else {
        if (!document->console()->OpenCommandList(toLocal(path))) {
            document->setModified(false);
            document->console()->close();
            m_recent.remove(path);
            failed("Failed to open document.");
            return nullptr;
        }
        document->setPathName(canonical(path));
        m_recent.add(document->pathName());
    }
    Q_EMIT documentsChanged();
    return document;
}

CTOVANStudioDoc* CDocManagerEx::createDocument(int index) {
    m_untitledCounts.resize(m_templates.size(), 0);
    const DocumentTemplate& kind = m_templates[static_cast<std::size_t>(index)];
    CSplitterView* console = nullptr;
    if (kind.family == ModuleFamily::VX31)
        console = new CVX3xSplitterView;
    else
        console = new CSplitterViewVM77;
    auto* document = new CTOVANStudioDoc(index, console, this);
    m_documents << document;
    console->setCloseGuard([this, document] { return saveModified(document); });
    connect(console, &QObject::destroyed, this, [this, document] { forget(document); });
    connect(document, &CTOVANStudioDoc::titleChanged, this, &CDocManagerEx::documentsChanged);
    connect(document, &CTOVANStudioDoc::modifiedChanged, this, &CDocManagerEx::documentsChanged);
    m_host.addConsole(console);
    return document;
}

void CDocManagerEx::forget(CTOVANStudioDoc* document) {
    m_documents.removeAll(document);
    document->deleteLater();
    Q_EMIT documentsChanged();
}

CTOVANStudioDoc* CDocManagerEx::documentOf(const CSplitterView* console) const {
    for (CTOVANStudioDoc* document : m_documents)
        if (document->console() == console)
            return document;
    return nullptr;
}

CTOVANStudioDoc* CDocManagerEx::findOpen(const QString& path) const {
    if (path.isEmpty())
        return nullptr;
    const QString wanted = canonical(path);
    for (CTOVANStudioDoc* document : m_documents)
        if (!document->pathName().isEmpty() && canonical(document->pathName()) == wanted)
            return document;
    return nullptr;
}

bool CDocManagerEx::saveDocument(CTOVANStudioDoc* document) {
    if (!document)
        return false;
    if (document->pathName().isEmpty())
        return saveDocumentAs(document);
    return saveTo(document, document->pathName());
}

bool CDocManagerEx::saveDocumentAs(CTOVANStudioDoc* document) {
    if (!document)
        return false;
    const DocumentTemplate& kind = m_templates[static_cast<std::size_t>(document->templateIndex())];
    const QString path = dialogs().saveFileName(m_host.dialogParent(), QStringLiteral("Save As"),
                                                kind.extension.mid(1), kind.filterName);
    if (path.isEmpty())
        return false;
    return saveTo(document, path);
}

// Each document writes its own console's tree, whichever console is active.
bool CDocManagerEx::saveTo(CTOVANStudioDoc* document, const QString& path) {
    if (!document->console() || !document->console()->SaveCommandList(toLocal(path))) {
        failed("Failed to save document.");
        return false;
    }
    document->setPathName(canonical(path));
    m_recent.add(document->pathName());
    Q_EMIT documentsChanged();
    return true;
}

bool CDocManagerEx::saveModified(CTOVANStudioDoc* document) {
    if (!document || !document->isModified())
        return true;
    const QString name = document->pathName().isEmpty() ? document->title() : document->pathName();
    const auto answer =
        dialogs().messageBox(m_host.dialogParent(), QStringLiteral("Save changes to %1?").arg(name),
                             QString::fromLatin1(texts::APP_TITLE), DialogService::Icon::Warning,
                             DialogService::Buttons::YesNoCancel);
    if (answer == DialogService::Answer::Cancel)
        return false;
    if (answer == DialogService::Answer::No)
        return true;
    return saveDocument(document);
}

bool CDocManagerEx::saveAllModified() {
    for (CTOVANStudioDoc* document : m_documents)
        if (!saveModified(document))
            return false;
    return true;
}

} // namespace tovan
