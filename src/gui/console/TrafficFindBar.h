#pragma once

#include "core/textwnd/TextSearch.h"

#include <QTimer>
#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tovan {

class ColorEditWnd;
class ModuleConsole;

// The bar under a console's traffic window: find (text, or bytes in any usual notation, every
// match marked, next and previous, the count) and the filter that shows only the entries
// holding a text. Hidden until Ctrl+F; Escape hides it again and ends its find and filter.
class TrafficFindBar : public QWidget {
    Q_OBJECT
public:
    TrafficFindBar(ColorEditWnd& window, ModuleConsole& console, QWidget* parent = nullptr);

    // The console goes before its panes: from then on the filter field reaches nothing.
    void detachConsole() { m_console = nullptr; }

    // Shows the bar with the focus in the find field.
    void openFind();
    void findNext();
    void findPrevious();
    void setFilterText(const QString& text);

    QLineEdit* findField() const { return m_find; }
    QLineEdit* filterField() const { return m_filter; }
    QString countText() const;
    const std::vector<TextMatch>& matches() const { return m_matches; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void scheduleSearch();
    void step(int direction);
    void showCount();

    ColorEditWnd& m_window;
    ModuleConsole* m_console;
    QLineEdit* m_find = nullptr;
    QCheckBox* m_bytes = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_filter = nullptr;
    std::vector<TextMatch> m_matches;
    int m_current = -1;
    // New entries arrive all the time; the matches are looked up again at most ten times a
    // second.
    QTimer m_refresh;
};

} // namespace tovan
