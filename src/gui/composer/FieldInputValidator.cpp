#include "gui/composer/FieldInputValidator.h"

#include <QLineEdit>

namespace tovan {

FieldInputValidator::FieldInputValidator(QLineEdit* edit, int limit)
    : QValidator(edit), m_limit(limit) {
    m_lengthBefore = static_cast<int>(edit->text().size());
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_lengthBefore = static_cast<int>(text.size()); });
}

QValidator::State FieldInputValidator::validate(QString& input, int& pos) const {
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar c = input.at(i);
        if (c >= u'a' && c <= u'z') {
            input[i] = c.toUpper();
        } else if (c.isHighSurrogate() && i + 1 < input.size() &&
                   input.at(i + 1).isLowSurrogate()) {
            // One typed character is one character cell: the pair becomes a single
            // replacement character, which the input check then removes as a whole.
            input.replace(i, 2, QChar(QChar::ReplacementCharacter));
            if (pos > i + 1)
                --pos;
        }
    }
    if (m_limit >= 0 && input.size() > m_limit && input.size() > m_lengthBefore)
        return Invalid;
    return Acceptable;
}

} // namespace tovan
