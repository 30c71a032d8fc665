#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace tovan {

class CSplitterView;

// One open command set: its file, its title and whether its console's tree changed since it
// was opened or saved. The commands themselves live in the console's tree.
class CTOVANStudioDoc : public QObject {
    Q_OBJECT
public:
    CTOVANStudioDoc(int templateIndex, CSplitterView* console, QObject* parent = nullptr);

    int templateIndex() const { return m_templateIndex; }
    CSplitterView* console() const { return m_console; }

    // The file's full path; empty for a document not saved yet.
    const QString& pathName() const { return m_path; }
    void setPathName(const QString& path);
    // The file name, or "VX311", "VM77-M1" ... for new documents.
    const QString& title() const { return m_title; }
    void setTitle(const QString& title);

    bool isModified() const;
    void setModified(bool modified);

Q_SIGNALS:
    void titleChanged();
    void modifiedChanged(bool modified);

private:
    int m_templateIndex;
    QPointer<CSplitterView> m_console;
    QString m_path;
    QString m_title;
};

} // namespace tovan
