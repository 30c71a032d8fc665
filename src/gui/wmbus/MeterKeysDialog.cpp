#include "gui/wmbus/MeterKeysDialog.h"

#include "core/wmbus/MeterKeyFile.h"
#include "gui/shared/DialogService.h"
#include "gui/wmbus/ConsoleMeterKeys.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>

namespace tovan {
namespace {

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// A key on the stack is cleared where the compiler cannot drop the stores.
void wipe(AesKey& key) {
    volatile std::uint8_t* byte = key.data();
    for (std::size_t i = 0; i < key.size(); ++i)
        byte[i] = 0;
}

bool isMeterId(const QString& text) {
    static const QRegularExpression id(QStringLiteral("^[0-9A-Fa-f]{8}$"));
    return id.match(text).hasMatch();
}

} // namespace

MeterKeysDialog::MeterKeysDialog(std::string path, Apply apply, QWidget* parent)
    : QDialog(parent), m_path(std::move(path)), m_apply(std::move(apply)) {
    setObjectName(QStringLiteral("meterKeysDialog"));
    setWindowTitle(QStringLiteral("Meter keys"));
    auto* intro = new QLabel(
        QStringLiteral("Telegrams of these meters are decrypted with their keys. The keys are "
                       "kept in %1, readable by you alone, one meter a line; only their last "
                       "four digits are shown.")
            .arg(local(m_path)),
        this);
    intro->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("keyList"));
    m_list->setHeaderLabels({QStringLiteral("Meter id"), QStringLiteral("Key")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    m_remove->setObjectName(QStringLiteral("removeKey"));

    m_id = new QLineEdit(this);
    m_id->setObjectName(QStringLiteral("meterIdField"));
    m_id->setPlaceholderText(QStringLiteral("8 hex digits"));
    m_id->setMaxLength(16);
    m_key = new QLineEdit(this);
    m_key->setObjectName(QStringLiteral("keyField"));
    m_key->setPlaceholderText(QStringLiteral("32 hex digits"));
    m_key->setEchoMode(QLineEdit::PasswordEchoOnEdit); // seen while typed, masked after
    m_key->setMaxLength(64);
    m_key->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 36);
    m_add = new QPushButton(QStringLiteral("&Add"), this);
    m_add->setObjectName(QStringLiteral("addKey"));

    auto* entry = new QGridLayout;
    entry->addWidget(new QLabel(QStringLiteral("Meter id:"), this), 0, 0);
    entry->addWidget(m_id, 0, 1);
    entry->addWidget(new QLabel(QStringLiteral("Key:"), this), 1, 0);
    entry->addWidget(m_key, 1, 1);
    entry->addWidget(m_add, 1, 2);
    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch(1);
    listButtons->addWidget(m_remove);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list, 1);
    layout->addLayout(listButtons);
    layout->addLayout(entry);
    layout->addWidget(buttons);

    connect(m_add, &QPushButton::clicked, this, [this] { addKey(); });
    connect(m_remove, &QPushButton::clicked, this, &MeterKeysDialog::removeSelected);
    connect(buttons, &QDialogButtonBox::accepted, this, &MeterKeysDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MeterKeysDialog::reject);
    resize(520, 360);
}

void MeterKeysDialog::tell(const QString& text, bool error) {
    dialogs().messageBox(this, text, ConsoleMeterKeys::caption(),
                         error ? DialogService::Icon::Error : DialogService::Icon::Warning,
                         DialogService::Buttons::Ok);
}

bool MeterKeysDialog::load() {
    m_keys.clear();
    const MeterKeyFile::Result result = MeterKeyFile::load(m_path, m_keys);
    if (!result.loaded && !result.missing) {
        tell(QStringLiteral("The meter keys cannot be edited: %1.").arg(local(result.error)), true);
        return false;
    }
    if (!result.problems.empty()) {
        QString text = QStringLiteral("Lines of the key file that are not keys will not be kept "
                                      "when the keys are saved:");
        for (const MeterKeys::Problem& problem : result.problems)
            text += QStringLiteral("\nline %1: %2")
                        .arg(static_cast<qulonglong>(problem.line))
                        .arg(local(problem.reason));
        tell(text);
    }
    fillList();
    return true;
}

void MeterKeysDialog::fillList() {
    m_list->clear();
    for (const std::string& id : m_keys.meterIds()) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::fromStdString(id));
        item->setText(1, QString::fromStdString(MeterKeys::masked(*m_keys.find(id))));
    }
    m_remove->setEnabled(m_list->topLevelItemCount() > 0);
}

bool MeterKeysDialog::addKey() {
    const QString id = m_id->text().trimmed();
    QString hex = m_key->text();
    hex.remove(QRegularExpression(QStringLiteral("\\s")));
    if (!isMeterId(id)) {
        tell(QStringLiteral("The meter id must be 8 hex digits (0-9, A-F), as the console "
                            "shows it after \"Identification:\"."));
        m_id->setFocus();
        return false;
    }
    AesKey key{};
    if (hex.size() != 32 || !MeterKeys::parseKey(hex.toStdString(), key)) {
        tell(hex.size() != 32
                 ? QStringLiteral("The key must be 32 hex digits (16 bytes); %1 were typed.")
                       .arg(hex.size())
                 : QStringLiteral("The key must be 32 hex digits (0-9, A-F); the one typed "
                                  "holds other characters."));
        m_key->setFocus();
        return false;
    }
    const std::string meter = id.toUpper().toStdString();
    if (m_keys.find(meter) &&
        dialogs().messageBox(this,
                             QStringLiteral("Meter %1 has a key already. Replace it?")
                                 .arg(QString::fromStdString(meter)),
                             ConsoleMeterKeys::caption(), DialogService::Icon::Question,
                             DialogService::Buttons::YesNo) != DialogService::Answer::Yes) {
        wipe(key);
        return false;
    }
    m_keys.set(meter, key);
    wipe(key);
    m_id->clear();
    m_key->clear();
    fillList();
    return true;
}

void MeterKeysDialog::removeSelected() {
    for (const QTreeWidgetItem* item : m_list->selectedItems())
        m_keys.remove(item->text(0).toStdString());
    fillList();
}

void MeterKeysDialog::accept() {
    // A key typed but not added yet is meant to be saved too.
    if ((!m_id->text().trimmed().isEmpty() || !m_key->text().isEmpty()) && !addKey())
        return;
    if (const int error = MeterKeyFile::save(m_path, m_keys)) {
        tell(QStringLiteral("Unable to write the key file %1: %2. The keys were not saved.")
                 .arg(local(m_path), local(std::strerror(error))),
             true);
        return;
    }
    if (m_apply)
        m_apply(m_keys);
    QDialog::accept();
}

void MeterKeysDialog::edit(QWidget* parent, Apply apply) {
    MeterKeysDialog dialog(MeterKeyFile::defaultPath(), std::move(apply), parent);
    if (dialog.load())
        dialog.exec();
}

} // namespace tovan
