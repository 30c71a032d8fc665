#include "gui/serial/CComSettingsDlg.h"

#include "core/serial/RemoteAddress.h"
#include "gui/serial/PortList.h"
#include "gui/serial/RemotePortMemory.h"
#include "gui/shared/DialogUnits.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace tovan {
namespace {

// The port box is wider than the dialog's layout gives it, so that names such as
// "SIM-VM77-1" or "rfc2217://lab-host:2001" show whole; what stands right of it moves along.
constexpr int PORT_BOX_EXTRA = 70;

QRect widened(QRect units) {
    return units.x() >= 90 ? units.translated(PORT_BOX_EXTRA, 0) : units;
}

QWidget* place(QWidget* widget, int id, QRect units) {
    units = widened(units);
    widget->setGeometry(dlu::toPixels(units.x(), units.y(), units.width(), units.height()));
    if (id != 0)
        widget->setObjectName(QString::number(id));
    return widget;
}

// One radio group: the buttons get consecutive indexes in the order given.
struct Radio {
    int id;
    const char* text;
    int x, y, width;
};

QButtonGroup* addRadioGroup(QDialog* dialog, std::initializer_list<Radio> radios) {
    auto* group = new QButtonGroup(dialog);
    int index = 0;
    for (const Radio& radio : radios) {
        auto* button = new QRadioButton(QString::fromLatin1(radio.text), dialog);
        place(button, radio.id, QRect(radio.x, radio.y, radio.width, 10));
        group->addButton(button, index++);
    }
    return group;
}

void check(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index))
        button->setChecked(true);
}

} // namespace

CComSettingsDlg::CComSettingsDlg(const ComSettingsForm& values, QWidget* parent,
                                 PortComboBox::PortSource ports, RemotePortMemory* memory)
    : QDialog(parent), m_memory(memory) {
    if (!m_memory) {
        m_ownMemory = std::make_unique<RemotePortMemory>();
        m_memory = m_ownMemory.get();
    }
    setObjectName(QString::number(DIALOG_ID));
    setWindowTitle(QStringLiteral("COM settings"));
    setFont(dlu::dialogFont());
    setFixedSize(dlu::toPixels(QSize(231 + PORT_BOX_EXTRA, 145)));
    buildGroups();

    m_port = new PortComboBox(
        ports ? std::move(ports) : PortComboBox::PortSource(availablePortNames), this);
    place(m_port, 1000, QRect(27, 9, 48 + PORT_BOX_EXTRA, 14));
    m_baud = new QComboBox(this);
    m_baud->setEditable(true);
    m_baud->setInsertPolicy(QComboBox::NoInsert);
    for (const char* rate : BAUD_LIST)
        m_baud->addItem(QString::fromLatin1(rate));
    for (const char* rate : MORE_BAUD_RATES)
        m_baud->addItem(QString::fromLatin1(rate));
    place(m_baud, 1001, QRect(27, 49, 48, 14));

    m_parity = addRadioGroup(
        this,
        {{1006, "None", 100, 15, 60}, {1007, "Odd", 100, 30, 60}, {1008, "Even", 100, 46, 60}});
    m_handshake = addRadioGroup(this, {{1002, "RTS/CTS", 23, 91, 56}, {1003, "None", 23, 108, 56}});
    m_stopBits = addRadioGroup(
        this, {{1004, "One Stopbit", 100, 91, 60}, {1005, "Two Stopbits", 100, 108, 60}});

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    place(ok, 1, QRect(174, 0, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    place(cancel, 2, QRect(174, 18, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buildPause();

    fill(values);
}

CComSettingsDlg::~CComSettingsDlg() = default;

// Under the buttons: the pause that ends a frame, for ports across the network only.
void CComSettingsDlg::buildPause() {
    m_pauseLabel = new QLabel(QStringLiteral("Pause (ms)"), this);
    place(m_pauseLabel, PAUSE_LABEL_ID, QRect(174, 40, 50, 10));
    m_pause = new QSpinBox(this);
    m_pause->setRange(static_cast<int>(RemoteOptions::DEFAULT_PAUSE_MS),
                      static_cast<int>(RemoteOptions::MAX_PAUSE_MS));
    m_pause->setSingleStep(10);
    m_pause->setToolTip(QStringLiteral(
        "Ports across the network (rfc2217://, socket://): a pause this long inside a frame "
        "drops it. Arrival times include the network's delays."));
    place(m_pause, PAUSE_ID, QRect(174, 51, 50, 14));
    connect(m_port, &QComboBox::currentTextChanged, this, &CComSettingsDlg::portTextChanged);
    // Remote names are long; the list is wide enough to show them whole.
    m_port->view()->setMinimumWidth(dlu::toPixels(QSize(150, 0)).width());
}

void CComSettingsDlg::portTextChanged(const QString& text) {
    const bool remote = RemoteAddress::isRemote(text.toStdString());
    m_pause->setEnabled(remote);
    m_pauseLabel->setEnabled(remote);
    if (const std::uint32_t remembered = remote ? m_memory->pauseOf(text) : 0)
        m_pause->setValue(static_cast<int>(remembered));
}

void CComSettingsDlg::buildGroups() {
    const std::pair<const char*, QRect> groups[] = {
        {"COM", QRect(16, 0, 67 + PORT_BOX_EXTRA, 30)}, {"Baudrate", QRect(16, 36, 68, 32)},
        {"Parity", QRect(93, 0, 72, 69)},    {"Flowcontrol", QRect(16, 78, 68, 53)},
        {"Stopbits", QRect(93, 78, 72, 53)},
    };
    for (const auto& [title, units] : groups)
        place(new QGroupBox(QString::fromLatin1(title), this), 0, units);
}

void CComSettingsDlg::fill(const ComSettingsForm& values) {
    // The port list stays empty until it is dropped down; the field shows the port name.
    m_port->setEditText(QString::fromStdString(values.portText));
    const int baudEntry = findBaudEntry(values.baudText);
    if (baudEntry >= 0)
        m_baud->setCurrentIndex(baudEntry);
    else
        m_baud->setEditText(QString::fromStdString(values.baudText));
    check(m_handshake, values.handshakeIndex);
    check(m_parity, values.parityIndex);
    check(m_stopBits, values.stopBitsIndex);
    m_pause->setValue(static_cast<int>(values.pauseMs));
    const bool remote = RemoteAddress::isRemote(values.portText);
    m_pause->setEnabled(remote);
    m_pauseLabel->setEnabled(remote);
}

ComSettingsForm CComSettingsDlg::values() const {
    ComSettingsForm form;
    form.portText = m_port->currentText().toStdString();
    form.baudText = m_baud->currentText().toStdString();
    form.handshakeIndex = m_handshake->checkedId();
    form.parityIndex = m_parity->checkedId();
    form.stopBitsIndex = m_stopBits->checkedId();
    form.pauseMs = static_cast<std::uint32_t>(m_pause->value());
    return form;
}

std::optional<ComSettingsForm::StatusTexts> editComSettings(QWidget* parent, PortSettings& settings,
                                                            RemotePortMemory* memory) {
    RemotePortMemory ownMemory;
    if (!memory)
        memory = &ownMemory;
    CComSettingsDlg dialog(ComSettingsForm::fromSettings(settings), parent, nullptr, memory);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const ComSettingsForm values = dialog.values();
    const auto panes = values.applyTo(settings);
    memory->remember(QString::fromStdString(settings.portName), settings.remote.framePauseMs);
    return panes;
}

} // namespace tovan
