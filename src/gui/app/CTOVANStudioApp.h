#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

namespace tovan {

class CDocManagerEx;
class CMainFrame;
class InstanceChannel;

// The application: its two kinds of document, the main window, and the files it is asked to
// open (from its command line's --open or from later starts).
class CTOVANStudioApp : public QObject {
    Q_OBJECT
public:
    CTOVANStudioApp();
    ~CTOVANStudioApp() override;

    // The start-up sequence; false when the main window cannot be created. `filesToOpen`
    // are opened as documents once the window is shown.
    bool InitInstance(const QStringList& filesToOpen);

    CMainFrame* mainFrame() const { return m_frame.get(); }
    CDocManagerEx* docManager() const;

    // The document templates' order decides what a file with an unknown model opens as.
    static constexpr int TEMPLATE_VX31 = 0;
    static constexpr int TEMPLATE_VM77 = 1;

private:
    void openFiles(const QStringList& paths);

    std::unique_ptr<CMainFrame> m_frame;
    InstanceChannel* m_instances = nullptr;
};

} // namespace tovan
