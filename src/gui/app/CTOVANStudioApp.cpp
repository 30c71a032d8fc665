#include "gui/app/CTOVANStudioApp.h"

#include "gui/app/CDocManagerEx.h"
#include "gui/app/CMainFrame.h"
#include "gui/app/InstanceChannel.h"

namespace tovan {

CTOVANStudioApp::CTOVANStudioApp() = default;

CTOVANStudioApp::~CTOVANStudioApp() = default;

CDocManagerEx* CTOVANStudioApp::docManager() const {
    return m_frame ? m_frame->docManager() : nullptr;
}

bool CTOVANStudioApp::InitInstance(const QStringList& filesToOpen) {
    m_frame = std::make_unique<CMainFrame>();
    auto* documents = new CDocManagerEx(*m_frame, m_frame.get());
    documents->addTemplate({130, ModuleFamily::VX31, QStringLiteral("VX31")});
    documents->addTemplate({138, ModuleFamily::VM77, QStringLiteral("VM77-M")});
    m_frame->setDocManager(documents);

    m_instances = new InstanceChannel(this);
    connect(m_instances, &InstanceChannel::filesHandedOver, this, &CTOVANStudioApp::openFiles);
    m_instances->listen();

    m_frame->show();
    openFiles(filesToOpen);
    return true;
}

void CTOVANStudioApp::openFiles(const QStringList& paths) {
    for (const QString& path : paths)
        docManager()->openDocumentFile(path);
    if (!paths.isEmpty()) {
        m_frame->raise();
        m_frame->activateWindow();
    }
}

} // namespace tovan
