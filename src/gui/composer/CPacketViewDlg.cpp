#include "gui/composer/CPacketViewDlg.h"

#include "core/composer/ComposerRules.h"
#include "gui/composer/FieldInputValidator.h"
#include "gui/shared/AppTexts.h"
#include "gui/shared/DialogService.h"
#include "gui/shared/DialogUnits.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace tovan {

using composer::Field;
using Role = ComposerFormLayout::Role;

namespace {

std::string toText(const QString& text) {
    return text.toLatin1().toStdString();
}

QString fromText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

Field fieldOf(Role role) {
    switch (role) {
    case Role::Preamble:
        return Field::Preamble;
    case Role::Length:
        return Field::Length;
    case Role::Command:
        return Field::Command;
    case Role::Data:
        return Field::Data;
    case Role::Checksum:
        return Field::Checksum;
    case Role::Period:
        return Field::Period;
    default:
        return Field::None;
    }
}

// Read-only fields take the form's background, as users know them from dialogs.
void setWritable(QLineEdit* edit, bool writable) {
    edit->setReadOnly(!writable);
    QPalette palette = edit->palette();
    palette.setBrush(QPalette::Base,
                     writable ? edit->style()->standardPalette().base() : palette.window());
    edit->setPalette(palette);
}

} // namespace

CPacketViewDlg::CPacketViewDlg(const ComposerFormLayout& layout, QWidget* parent)
    : QWidget(parent), m_layout(layout), m_composer(layout.family) {
    setFont(dlu::dialogFont());
    resize(dlu::toPixels(layout.units));
    buildControls();
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CPacketViewDlg::onTick);
    showFields();
    applyControlStates();
    LayoutFields();
}

CPacketViewDlg::~CPacketViewDlg() {
    m_timer.stop();
}

void CPacketViewDlg::buildControls() {
    for (const ComposerFormLayout::Control& control : m_layout.controls) {
        const QRect place = dlu::toPixels(control.units.x(), control.units.y(),
                                          control.units.width(), control.units.height());
        const QString text = QString::fromLatin1(control.text);
        QWidget* widget = nullptr;
        if (control.role == Role::Label || control.role == Role::ChecksumLabel) {
            auto* label = new QLabel(text, this);
            // A Linux font may run wider than the one the units were measured with; the label
            // then grows to the left, towards the free space, not into the field behind it.
            const int grow = std::max(0, label->sizeHint().width() - place.width());
            label->setGeometry(place.adjusted(-std::min(grow, place.x()), 0, 0, 0));
            if (control.role == Role::ChecksumLabel)
                m_checksumLabel = label;
            widget = label;
        } else if (fieldOf(control.role) == Field::None) {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            button->setGeometry(place);
            (control.role == Role::Save       ? m_save
             : control.role == Role::Transmit ? m_transmit
                                              : m_activate) = button;
            widget = button;
        } else {
            widget = addEdit(fieldOf(control.role));
            widget->setGeometry(place);
        }
        if (control.id != 0)
            widget->setObjectName(QString::number(control.id));
    }
    connect(m_save, &QPushButton::clicked, this, &CPacketViewDlg::onSave);
    connect(m_transmit, &QPushButton::clicked, this, &CPacketViewDlg::onTransmit);
    connect(m_activate, &QPushButton::clicked, this, &CPacketViewDlg::onActivate);
    for (Field typed : {Field::Data, Field::Command}) {
        connect(edit(typed), &QLineEdit::textEdited, this, [this, typed] { onTyped(typed); });
        edit(typed)->installEventFilter(this);
    }
}

QLineEdit* CPacketViewDlg::addEdit(Field field) {
    auto* line = new QLineEdit(this);
    m_edits[static_cast<std::size_t>(field)] = line;
    if (field == Field::Period)
        return line; // any text, no limit, case kept
    line->setValidator(new FieldInputValidator(line, composer::fieldLimit(m_layout.family, field)));
    if (field != Field::Command && field != Field::Data) {
        setWritable(line, false);
        line->setFocusPolicy(Qt::ClickFocus);
    }
    return line;
}

QLineEdit* CPacketViewDlg::edit(Field field) const {
    return m_edits[static_cast<std::size_t>(field)];
}

void CPacketViewDlg::SetTargetWindow(OwnerEndpoint* target) {
    m_composer.setTarget(target);
}

void CPacketViewDlg::SetPortOpen(bool open) {
    m_composer.setPortOpen(open);
    applyControlStates();
}

void CPacketViewDlg::LoadFrameText(std::string_view text) {
    if (!m_composer.load(text))
        return;
    showFields();
    applyControlStates();
}

void CPacketViewDlg::LayoutFields() {
    QLineEdit* data = edit(Field::Data);
    if (!data)
        return;
    const int w = width();
    const int top = m_layout.fieldTop;
    const int height = m_layout.fieldBottom - top;
    data->setGeometry(m_layout.dataLeft, top, std::max(0, w - 87 - m_layout.dataLeft), height);
    edit(Field::Checksum)->setGeometry(w - 72, top, 24, height);
    m_checksumLabel->setGeometry(w - 82, m_layout.labelTop, m_checksumLabel->width(),
                                 m_layout.labelBottom - m_layout.labelTop);
    update();
}

bool CPacketViewDlg::handleCommand(int commandId) {
    return commandId == ID_FILE_SAVE;
}

void CPacketViewDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutFields();
}

bool CPacketViewDlg::event(QEvent* event) {
    // Ctrl+S inside the form must not reach the document's Save shortcut.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Save)) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool CPacketViewDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (watched == edit(Field::Data) || watched == edit(Field::Command))) {
            // Like the Save button: nothing is stored while Save is disabled (a folder is
            // selected, or the frame is being sent periodically).
            if (m_save->isEnabled())
                onSave();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPacketViewDlg::keyPressEvent(QKeyEvent* event) {
    // Enter elsewhere in the form does nothing; a swallowed Ctrl+S ends here as well.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->matches(QKeySequence::Save)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPacketViewDlg::onSave() {
    readForm();
    if (auto refusal = m_composer.save()) {
        showNotice(*refusal);
        return;
    }
    showFields();
}

// What goes out is what the fields show: edited fields are built into a frame first (and
// shown with their Length and Checksum), though only Save stores it.
void CPacketViewDlg::onTransmit() {
    readForm();
    if (auto refusal = m_composer.transmit()) {
        showNotice(*refusal);
        return;
    }
    showFields();
}

void CPacketViewDlg::onTick() {
    // The frame cannot change while periodic sending runs, and Activate refused one that
    // does not fit, so a tick has nothing to report.
    m_composer.transmit();
}

void CPacketViewDlg::onActivate() {
    readForm();
    const composer::PacketComposer::PeriodicSwitch change = m_composer.togglePeriodic();
    if (change.refusal) {
        showNotice(*change.refusal);
        return;
    }
    if (change.stop) {
        m_timer.stop();
        m_timerId = 0;
    } else {
        m_timer.start(change.startMs);
        m_timerId = PERIODIC_TIMER_ID;
    }
    applyControlStates();
}

void CPacketViewDlg::onTyped(Field field) {
    markField(edit(field), false);
    readForm();
    QLineEdit* line = edit(field);
    const composer::InputCheckResult result = m_composer.checkTyped(field, line->cursorPosition());
    if (result.invalidCharacter)
        showNotice(composer::Notice{composer::MessageId::InvalidCharacter});
    showFields();
    line->setCursorPosition(result.caret);
    if (result.placeCaret)
        line->setFocus();
}

void CPacketViewDlg::readForm() {
    composer::Fields& fields = m_composer.fields();
    // A field changed without typing (pasted, set by another part) counts as edited too.
    if (toText(edit(Field::Command)->text()) != fields.command ||
        toText(edit(Field::Data)->text()) != fields.data)
        m_composer.markEdited();
    fields.preamble = toText(edit(Field::Preamble)->text());
    fields.command = toText(edit(Field::Command)->text());
    fields.length = toText(edit(Field::Length)->text());
    fields.data = toText(edit(Field::Data)->text());
    fields.checksum = toText(edit(Field::Checksum)->text());
    fields.period = toText(edit(Field::Period)->text());
}

void CPacketViewDlg::showFields() {
    const composer::Fields& fields = m_composer.fields();
    const std::pair<Field, const std::string*> texts[] = {
        {Field::Preamble, &fields.preamble}, {Field::Command, &fields.command},
        {Field::Length, &fields.length},     {Field::Data, &fields.data},
        {Field::Checksum, &fields.checksum}, {Field::Period, &fields.period},
    };
    for (const auto& [field, text] : texts) {
        const QString shown = fromText(*text);
        if (edit(field)->text() != shown)
            edit(field)->setText(shown);
    }
}

void CPacketViewDlg::applyControlStates() {
    const composer::ControlStates& states = m_composer.controls();
    m_save->setEnabled(states.save);
    m_transmit->setEnabled(states.transmit);
    m_activate->setEnabled(states.activate);
    m_activate->setText(states.periodicLook ? QStringLiteral("Deactivate")
                                            : QStringLiteral("Activate"));
    m_activate->setFlat(states.periodicLook);
    setWritable(edit(Field::Data), states.inputsWritable);
    setWritable(edit(Field::Command), states.inputsWritable);
}

void CPacketViewDlg::showNotice(const composer::Notice& notice) {
    const char* caption = composer::noticeCaption(notice);
    dialogs().messageBox(this, fromText(composer::noticeText(notice)),
                         QString::fromLatin1(caption ? caption : texts::APP_TITLE),
                         composer::noticeIsError(notice.id) ? DialogService::Icon::Error
                                                            : DialogService::Icon::Warning,
                         DialogService::Buttons::Ok);
    // The field at fault is marked until it is typed in again, and has the focus.
    if (notice.field != Field::None && edit(notice.field) &&
        notice.id != composer::MessageId::InvalidCharacter) {
        QLineEdit* field = edit(notice.field);
        markField(field, true);
        field->setFocus();
        field->selectAll();
    }
}

void CPacketViewDlg::markField(QLineEdit* field, bool atFault) {
    if (!field || field->property("atFault").toBool() == atFault)
        return;
    field->setProperty("atFault", atFault);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, atFault ? QColor(0xFF, 0xD8, 0xD8)
                                             : QApplication::palette(field).color(QPalette::Base));
    field->setPalette(palette);
}

} // namespace tovan
