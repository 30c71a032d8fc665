#include "tests/support/RecordingDialogs.h"

#include <QPrinter>

namespace tovan::test {

RecordingDialogs::RecordingDialogs() {
    setDialogService(this);
}

RecordingDialogs::~RecordingDialogs() {
    setDialogService(nullptr);
}

DialogService::Answer RecordingDialogs::messageBox(QWidget*, const QString& text,
                                                   const QString& caption, Icon icon,
                                                   Buttons buttons) {
    shown.push_back({text, caption, icon, buttons});
    if (!answers.empty()) {
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

QString RecordingDialogs::saveFileName(QWidget*, const QString& caption, const QString&,
                                       const QString&) {
    fileDialogCaptions << caption;
    if (fileNames.empty())
        return QString();
    QString name = fileNames.front();
    fileNames.pop_front();
    return name;
}

QString RecordingDialogs::openFileName(QWidget* parent, const QString& caption,
                                       const QString& filter) {
    return saveFileName(parent, caption, QString(), filter);
}

int RecordingDialogs::chooseFromList(QWidget*, const QString& caption, const QStringList& entries) {
    listsShown << caption + ": " + entries.join('|');
    if (listChoices.empty())
        return 0;
    const int choice = listChoices.front();
    listChoices.pop_front();
    return choice;
}

QString RecordingDialogs::askText(QWidget*, const QString& caption, const QString& label,
                                  const QString&) {
    textsAsked << caption + ": " + label;
    if (typedTexts.empty())
        return {};
    const QString typed = typedTexts.front();
    typedTexts.pop_front();
    return typed;
}

bool RecordingDialogs::printDialog(QWidget*, QPrinter& printer) {
    ++printDialogs;
    if (printToPdf.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printToPdf);
    return true;
}

bool RecordingDialogs::pageSetupDialog(QWidget*, QPrinter&) {
    ++printDialogs;
    return false;
}

} // namespace tovan::test
