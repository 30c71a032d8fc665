#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace tovan {

// Every modal message box and file dialog of the workbench goes through this interface, so
// that tests can answer them from a script and check the exact texts without a modal loop.
class DialogService {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~DialogService() = default;

    virtual Answer messageBox(QWidget* parent, const QString& text, const QString& caption,
                              Icon icon, Buttons buttons) = 0;

    // Full path chosen in a save dialog, or an empty string when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& caption,
                                 const QString& defaultSuffix, const QString& filter) = 0;

    // Full path of an existing file chosen in an open dialog, or an empty string.
    virtual QString openFileName(QWidget* parent, const QString& caption,
                                 const QString& filter) = 0;

    // A list to choose one entry from (the "New" dialog); the index chosen, or -1.
    virtual int chooseFromList(QWidget* parent, const QString& caption,
                               const QStringList& entries) = 0;

    // A line of text to type (a name): the text given, or a null QString when cancelled.
    virtual QString askText(QWidget* parent, const QString& caption, const QString& label,
                            const QString& text) = 0;

    // The print dialog and the page setup dialog over `printer`; false when cancelled.
    virtual bool printDialog(QWidget* parent, QPrinter& printer) = 0;
    virtual bool pageSetupDialog(QWidget* parent, QPrinter& printer) = 0;
};

// The service in use: the Qt dialogs unless a test installed another one.
DialogService& dialogs();

// Installs `service` (not owned) for all later calls; nullptr goes back to the Qt dialogs.
void setDialogService(DialogService* service);

} // namespace tovan
