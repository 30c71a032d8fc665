#include "gui/console/TrafficFindBar.h"

#include "core/console/ModuleConsole.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace tovan {

TrafficFindBar::TrafficFindBar(ColorEditWnd& window, ModuleConsole& console, QWidget* parent)
    : QWidget(parent), m_window(window), m_console(&console) {
    setObjectName(QStringLiteral("findBar"));
    // Two rows, so that the bar fits however narrow the console is.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setVerticalSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("Find:"), this), 0, 0);
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("find"));
    m_find->setClearButtonEnabled(true);
    m_find->setMinimumWidth(60);
    layout->addWidget(m_find, 0, 1);
    m_bytes = new QCheckBox(QStringLiteral("Bytes"), this);
    m_bytes->setToolTip(QStringLiteral("Read the text as bytes: FE01, FE:01, 0xFE 0x01"));
    layout->addWidget(m_bytes, 0, 2);
    auto* previous = new QToolButton(this);
    previous->setArrowType(Qt::UpArrow);
    previous->setToolTip(QStringLiteral("Previous match (Shift+Enter)"));
    auto* next = new QToolButton(this);
    next->setArrowType(Qt::DownArrow);
    next->setToolTip(QStringLiteral("Next match (Enter)"));
    layout->addWidget(previous, 0, 3);
    layout->addWidget(next, 0, 4);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    layout->addWidget(m_count, 0, 5);
    layout->addWidget(new QLabel(QStringLiteral("Filter:"), this), 1, 0);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setMinimumWidth(60);
    m_filter->setPlaceholderText(QStringLiteral("show only the entries that hold this text"));
    layout->addWidget(m_filter, 1, 1, 1, 5);
    layout->setColumnStretch(1, 1);

    m_refresh.setSingleShot(true);
    m_refresh.setInterval(100);
    connect(&m_refresh, &QTimer::timeout, this, &TrafficFindBar::search);
    connect(m_find, &QLineEdit::textChanged, this, [this] {
        m_current = -1;
        search();
    });
    connect(m_bytes, &QCheckBox::toggled, this, [this] { search(); });
    connect(m_find, &QLineEdit::returnPressed, this, &TrafficFindBar::findNext);
    connect(next, &QToolButton::clicked, this, &TrafficFindBar::findNext);
    connect(previous, &QToolButton::clicked, this, &TrafficFindBar::findPrevious);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_console)
            m_console->traffic().setFilter(text.toLatin1().toStdString());
    });
    connect(&m_window, &ColorEditWnd::changed, this, &TrafficFindBar::scheduleSearch);
    m_find->installEventFilter(this);
    hide();
}

// Shift+Enter in the find field goes back; the field itself takes every Enter as its own.
bool TrafficFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_find && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            findPrevious();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrafficFindBar::openFind() {
    show();
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

void TrafficFindBar::setFilterText(const QString& text) {
    show();
    m_filter->setText(text);
}

void TrafficFindBar::scheduleSearch() {
    if (!m_find->text().isEmpty() && !m_refresh.isActive())
        m_refresh.start();
}

void TrafficFindBar::search() {
    const std::string typed = m_find->text().toLatin1().toStdString();
    const std::string needle = m_bytes->isChecked() ? hexBytesQuery(typed) : typed;
    m_matches = findAll(m_window.model().store(), needle);
    if (m_current >= static_cast<int>(m_matches.size()))
        m_current = m_matches.empty() ? -1 : 0;
    m_window.setHighlights(m_matches);
    showCount();
}

void TrafficFindBar::step(int direction) {
    search();
    if (m_matches.empty())
        return;
    const int count = static_cast<int>(m_matches.size());
    m_current =
        m_current < 0 ? (direction > 0 ? 0 : count - 1) : (m_current + direction + count) % count;
    m_window.showMatch(m_matches[static_cast<std::size_t>(m_current)]);
    showCount();
}

void TrafficFindBar::findNext() {
    step(1);
}

void TrafficFindBar::findPrevious() {
    step(-1);
}

QString TrafficFindBar::countText() const {
    return m_count->text();
}

void TrafficFindBar::showCount() {
    if (m_find->text().isEmpty())
        m_count->clear();
    else if (m_matches.empty())
        m_count->setText(QStringLiteral("no match"));
    else if (m_current < 0)
        m_count->setText(m_matches.size() == 1
                             ? QStringLiteral("1 match")
                             : QStringLiteral("%1 matches").arg(m_matches.size()));
    else
        m_count->setText(QStringLiteral("%1 of %2").arg(m_current + 1).arg(m_matches.size()));
}

void TrafficFindBar::keyPressEvent(QKeyEvent* event) {
    // Nothing stays hidden: with the bar goes its filter, so the window shows everything again.
    if (event->key() == Qt::Key_Escape) {
        m_find->clear();
        m_filter->clear();
        hide();
        m_window.setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tovan
