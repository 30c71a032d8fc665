#include "gui/shared/QtDialogService.h"

#include "gui/shared/DataPlaces.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QInputDialog>
#include <QLineEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace tovan {
namespace {

QMessageBox::Icon toQt(DialogService::Icon icon) {
    switch (icon) {
    case DialogService::Icon::Information:
        return QMessageBox::Information;
    case DialogService::Icon::Warning:
        return QMessageBox::Warning;
    case DialogService::Icon::Error:
        return QMessageBox::Critical;
    case DialogService::Icon::Question:
        return QMessageBox::Question;
    case DialogService::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(DialogService::Buttons buttons) {
    switch (buttons) {
    case DialogService::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case DialogService::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case DialogService::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case DialogService::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

DialogService::Answer fromQt(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return DialogService::Answer::Yes;
    case QMessageBox::No:
        return DialogService::Answer::No;
    case QMessageBox::Cancel:
        return DialogService::Answer::Cancel;
    default:
        return DialogService::Answer::Ok;
    }
}

} // namespace

DialogService::Answer QtDialogService::messageBox(QWidget* parent, const QString& text,
                                                  const QString& caption, Icon icon,
                                                  Buttons buttons) {
    QMessageBox box(toQt(icon), caption, text, toQt(buttons), parent);
    return fromQt(box.exec());
}

// File dialogs start in the folder the user last chose a file in; the first time in the
// folder of the sample command lists, where there is one.
QString QtDialogService::startFolder() {
    const QString last = QSettings().value(QStringLiteral("Dialogs/LastFolder")).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return findDataPlaces(QCoreApplication::applicationDirPath(), QDir::currentPath()).examples;
}

QString QtDialogService::remember(const QString& path) {
    if (!path.isEmpty())
        QSettings().setValue(QStringLiteral("Dialogs/LastFolder"), QFileInfo(path).absolutePath());
    return path;
}

QString QtDialogService::saveFileName(QWidget* parent, const QString& caption,
                                      const QString& defaultSuffix, const QString& filter) {
    QFileDialog dialog(parent, caption, startFolder(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return remember(dialog.selectedFiles().constFirst());
}

QString QtDialogService::openFileName(QWidget* parent, const QString& caption,
                                      const QString& filter) {
    return remember(QFileDialog::getOpenFileName(parent, caption, startFolder(), filter, nullptr,
                                                 QFileDialog::ReadOnly));
}

QString QtDialogService::askText(QWidget* parent, const QString& caption, const QString& label,
                                 const QString& text) {
    bool accepted = false;
    const QString typed =
        QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &accepted);
    return accepted ? (typed.isNull() ? QString("") : typed) : QString();
}

// The "New" dialog: a list of the document kinds, the first one selected, OK and Cancel.
int QtDialogService::chooseFromList(QWidget* parent, const QString& caption,
                                    const QStringList& entries) {
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* list = new QListWidget(&dialog);
    list->addItems(entries);
    list->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QHBoxLayout(&dialog);
    layout->addWidget(list);
    buttons->setOrientation(Qt::Vertical);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return list->currentRow();
}

bool QtDialogService::printDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogService::pageSetupDialog(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

namespace {
QtDialogService qtDialogs;
DialogService* installed = nullptr;
} // namespace

DialogService& dialogs() {
    return installed ? *installed : qtDialogs;
}

void setDialogService(DialogService* service) {
    installed = service;
}

} // namespace tovan
