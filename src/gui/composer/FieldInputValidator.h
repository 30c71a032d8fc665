#pragma once

#include <QValidator>

class QLineEdit;

namespace tovan {

// Typing rules of a composer field: letters become upper case, and typing stops at the
// field's limit. Texts the program sets are not limited, so a stored command longer than the
// form allows is shown whole (and refused when the form is read).
class FieldInputValidator : public QValidator {
public:
    FieldInputValidator(QLineEdit* edit, int limit);

    State validate(QString& input, int& pos) const override;

private:
    int m_limit;
    int m_lengthBefore = 0;
};

} // namespace tovan
