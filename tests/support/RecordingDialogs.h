#pragma once

#include "gui/shared/DialogService.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace tovan::test {

// Answers message boxes and file dialogs from a script and keeps everything it was shown.
// Installs itself for its lifetime.
class RecordingDialogs : public DialogService {
public:
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    RecordingDialogs();
    ~RecordingDialogs() override;

    Answer messageBox(QWidget* parent, const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& defaultSuffix,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& filter) override;
    int chooseFromList(QWidget* parent, const QString& caption,
                       const QStringList& entries) override;
    QString askText(QWidget* parent, const QString& caption, const QString& label,
                    const QString& text) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
    bool pageSetupDialog(QWidget* parent, QPrinter& printer) override;

    // Scripted answers, used in order; when none is left, message boxes answer Ok (or Yes for
    // Yes/No boxes) and file dialogs are cancelled.
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    std::deque<int> listChoices; // none left: the first entry
    std::deque<QString> typedTexts; // none left: the dialog is cancelled
    QStringList textsAsked;         // caption: label
    // What the print dialog does: when set, prints into this PDF file; else it is cancelled.
    QString printToPdf;

    std::vector<Shown> shown;
    QStringList fileDialogCaptions;
    QStringList listsShown; // caption: entries joined with '|'
    int printDialogs = 0;
};

} // namespace tovan::test
