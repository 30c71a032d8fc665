#pragma once

#include "gui/shared/DialogService.h"

namespace tovan {

// The real dialogs: QMessageBox and QFileDialog.
class QtDialogService : public DialogService {
public:
    Answer messageBox(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultSuffix,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    // Where a file dialog starts, and the folder of a chosen file kept for the next one.
    static QString startFolder();
    static QString remember(const QString& path);

    QString askText(QWidget* parent, const QString& caption, const QString& label,
                    const QString& text) override;
    int chooseFromList(QWidget* parent, const QString& caption,
                       const QStringList& entries) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
    bool pageSetupDialog(QWidget* parent, QPrinter& printer) override;
};

} // namespace tovan
