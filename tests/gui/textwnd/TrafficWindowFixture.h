#pragma once

#include "gui/textwnd/ColorEditCommands.h"
#include "gui/textwnd/ColorEditWnd.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>
#include <string>

// A shown, focused traffic window as a console creates it (control id 1100, tab width 4).
class TrafficWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QGuiApplication::clipboard()->clear();
        window =
            std::make_unique<tovan::ColorEditWnd>(nullptr, tovan::coloredit::IDC_TRAFFIC_WINDOW, 4);
        window->resize(400, 300);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->setFocus();
        settle();
    }

    // Lets a frame pass, so collected repaints and scroll-bar updates are carried out.
    static void settle() { QTest::qWait(40); }

    QWidget* area() const { return window->viewport(); }
    const tovan::TextViewport& view() const { return window->view(); }

    std::string text(int line) const { return window->model().store().text(line); }

    // The pixel point inside a cell: `fraction` of the way across it.
    QPoint cellPoint(int column, int line, double fraction) const {
        const int x = view().cellLeft(column) + static_cast<int>(view().cellWidth() * fraction);
        return QPoint(x, view().lineTop(line) + view().lineHeight() / 2);
    }

    void drag(QPoint from, QPoint to) {
        QTest::mousePress(area(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, area()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &move);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, to);
    }

    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(50, 50);
        QWheelEvent event(at, area()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area(), &event);
    }

    void addNumberedLines(int count) {
        for (int i = 0; i < count; ++i)
            window->AddLine("\n" + std::to_string(i), 0x0025C8);
    }

    std::unique_ptr<tovan::ColorEditWnd> window;
};
