#pragma once

#include "core/wmbus/MeterKeys.h"

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tovan {

// Settings > Meter keys...: the meters whose telegrams are decrypted, each with its key
// masked. Keys are added (meter id and key checked, with a message that says what is wrong
// and never repeats the key) and removed here; Save writes the key file, readable by its
// owner alone, and hands the keys over (to every second-family console).
class MeterKeysDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<void(const MeterKeys&)>;

    MeterKeysDialog(std::string path, Apply apply, QWidget* parent = nullptr);

    // Reads the key file. False after telling why it cannot be edited here (a file others may
    // read, one that cannot be read): the dialog is then not to be shown, and the file stays.
    bool load();

    // Adds the key of the two fields; false after telling what is wrong with them.
    bool addKey();
    void removeSelected();
    // Save: writes the file and hands the keys over; the dialog stays open when writing fails.
    void accept() override;

    const MeterKeys& keys() const { return m_keys; }
    QLineEdit* meterIdField() const { return m_id; }
    QLineEdit* keyField() const { return m_key; }
    QTreeWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* removeButton() const { return m_remove; }

    // Opens the dialog on the default key file.
    static void edit(QWidget* parent, Apply apply);

private:
    void fillList();
    void tell(const QString& text, bool error = false);

    std::string m_path;
    Apply m_apply;
    MeterKeys m_keys;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_key = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};

} // namespace tovan
