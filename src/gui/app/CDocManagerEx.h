#pragma once

#include "gui/app/DocumentTemplate.h"
#include "gui/app/RecentFileList.h"

#include <QList>
#include <QObject>
#include <QString>

#include <vector>

namespace tovan {

class ConsoleWindowHost;
class CSplitterView;
class CTOVANStudioDoc;

// The open documents and the two kinds of document: New, Open, Save, Save As and Close of
// command sets, each in a console of its family, and the list of recent files.
class CDocManagerEx : public QObject {
    Q_OBJECT
public:
    explicit CDocManagerEx(ConsoleWindowHost& host, QObject* parent = nullptr);
    ~CDocManagerEx() override;

    void addTemplate(const DocumentTemplate& kind) { m_templates.push_back(kind); }
    const std::vector<DocumentTemplate>& templates() const { return m_templates; }

    // File New: asks which kind of document when there are several.
    CTOVANStudioDoc* newDocument();
    // File Open: asks for an existing file, then opens it.
    CTOVANStudioDoc* promptOpen();
    // Opens `path` in a console of the family its header names (recent files, dropped files,
    // the desktop). A path already open only activates its console.
    CTOVANStudioDoc* openDocumentFile(const QString& path);
    // Opens `path` (empty: a new document) with the template at `index`.
    CTOVANStudioDoc* openWithTemplate(int index, QString path);

    // File Save and Save As; false when the document was not saved.
    bool saveDocument(CTOVANStudioDoc* document);
    bool saveDocumentAs(CTOVANStudioDoc* document);
    // Asks "Save changes to %1?" for a modified document. False when the user cancelled or
    // the save failed: the document must stay open.
    bool saveModified(CTOVANStudioDoc* document);
    // The same for every open document, before the application ends.
    bool saveAllModified();

    QList<CTOVANStudioDoc*> documents() const { return m_documents; }
    CTOVANStudioDoc* documentOf(const CSplitterView* console) const;
    CTOVANStudioDoc* findOpen(const QString& path) const;
    RecentFileList& recentFiles() { return m_recent; }

Q_SIGNALS:
    // A document was opened or closed, or its title changed.
    void documentsChanged();

private:
    CTOVANStudioDoc* createDocument(int index);
    void forget(CTOVANStudioDoc* document);
    bool saveTo(CTOVANStudioDoc* document, const QString& path);
    void failed(const char* text);

    ConsoleWindowHost& m_host;
    std::vector<DocumentTemplate> m_templates;
    std::vector<int> m_untitledCounts;
    QList<CTOVANStudioDoc*> m_documents;
    RecentFileList m_recent;
};

} // namespace tovan
