#pragma once

#include "core/textwnd/ColorEditHooks.h"

#include <vector>

// Window hooks that remember what the model asked for.
struct RecordingHooks : tovan::ColorEditHooks {
    int page = 0;
    int changes = 0;
    int resets = 0;
    int scrollBarUpdates = 0;
    std::vector<int> scrolledTo;

    void UpdateScrollBars() override { ++scrollBarUpdates; }
    void repaintAll() override {}
    void repaintLines(int, int, int) override {}
    void repaintFrom(int) override {}
    void EnsureCaretVisible() override {}
    void showCaret() override {}
    void ScrollToLine(int line) override { scrolledTo.push_back(line); }
    int visibleLines() const override { return page; }
    void notifyChange() override { ++changes; }
    void resetView() override { ++resets; }
};
