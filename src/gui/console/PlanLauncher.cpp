#include "gui/console/PlanLauncher.h"

#include "core/testplan/FolderPlan.h"
#include "core/testplan/PlanParser.h"
#include "gui/console/CSplitterView.h"
#include "gui/console/PlanDriver.h"
#include "gui/shared/DialogService.h"
#include "gui/tree/CControlTreeView.h"
#include "gui/tree/TreeImages.h"

#include <QFile>
#include <QFileInfo>
#include <QTreeWidgetItem>

namespace tovan {
namespace {

// The folder the command is in when a command is selected; the whole tree when nothing is.
QTreeWidgetItem* selectedFolder(CControlTreeView& tree) {
    QTreeWidgetItem* item = tree.selectedItem();
    if (!item)
        return tree.rootItem();
    if (ControlTreeItems::image(item) == IMAGE_COMMAND && item->parent())
        return item->parent();
    return item;
}

// "Basics/Radio": the labels from below the root.
QString folderPath(const CControlTreeView& tree, const QTreeWidgetItem* folder) {
    QString path;
    for (; folder && folder != tree.rootItem(); folder = folder->parent())
        path = path.isEmpty() ? folder->text(0) : folder->text(0) + QLatin1Char('/') + path;
    return path;
}

} // namespace

bool PlanLauncher::runFile() {
    const QString path =
        dialogs().openFileName(m_parent, QString::fromLatin1(CAPTION),
                               QStringLiteral("Test plans (*.plan);;All files (*)"));
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tell(QStringLiteral("Unable to read %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() > MAX_PLAN_BYTES) {
        tell(QStringLiteral("%1 is too large for a test plan (at most %2 MiB).")
                 .arg(path)
                 .arg(MAX_PLAN_BYTES / (1024 * 1024)));
        return false;
    }
    const QByteArray text = file.read(MAX_PLAN_BYTES + 1);
    if (file.error() != QFileDevice::NoError) {
        tell(QStringLiteral("Unable to read %1: %2").arg(path, file.errorString()));
        return false;
    }
    CControlTreeView& tree = *m_console.tree();
    const PlanContext context{m_console.family(), &tree.commandTree(), &tree.store()};
    const QString name = QFileInfo(path).fileName();
    return start(text.toStdString(), name, context,
                 name + QStringLiteral(" holds no step to run."));
}

bool PlanLauncher::runSelectedFolder() {
    CControlTreeView& tree = *m_console.tree();
    QTreeWidgetItem* folder = selectedFolder(tree);
    const QString path = folderPath(tree, folder);
    const std::string text = planFromFolder(tree.commandTree(), tree.store(), folder);
    const PlanContext context{m_console.family(), nullptr, nullptr};
    const QString name =
        path.isEmpty() ? QStringLiteral("the whole tree") : QStringLiteral("folder %1").arg(path);
    const QString nothing =
        path.isEmpty() ? QStringLiteral("The command tree holds no command to send.")
                       : QStringLiteral("The folder %1 holds no command to send.").arg(path);
    return start(text, name, context, nothing);
}

// `name` names the plan in its errors and its results; `nothingToRun` says why a plan without
// steps does not start.
bool PlanLauncher::start(const std::string& text, const QString& name, const PlanContext& context,
                         const QString& nothingToRun) {
    ParsedPlan parsed = PlanParser(context).parse(text);
    if (!parsed.ok()) {
        QString errors;
        for (const PlanError& error : parsed.errors)
            errors += QLatin1Char('\n') +
                      QString::fromStdString(planErrorText(name.toStdString(), error));
        tell(QStringLiteral("The test plan was not run. It has these errors:\n") + errors);
        return false;
    }
    if (parsed.plan.steps.empty()) {
        tell(nothingToRun);
        return false;
    }
    const std::string refused =
        PlanDriver::of(&m_console)->start(std::move(parsed.plan), name.toStdString());
    if (!refused.empty()) {
        tell(QString::fromStdString(refused));
        return false;
    }
    return true;
}

void PlanLauncher::tell(const QString& text) {
    dialogs().messageBox(m_parent, text, QString::fromLatin1(CAPTION), DialogService::Icon::Error,
                         DialogService::Buttons::Ok);
}

} // namespace tovan
