#pragma once

#include "core/textwnd/ColorEditModel.h"

#include <string>
#include <vector>

// The model's lines as plain strings.
inline std::vector<std::string> linesOf(const tovan::ColorEditModel& model) {
    std::vector<std::string> lines;
    for (int i = 0; i < model.lineCount(); ++i)
        lines.push_back(model.store().text(i));
    return lines;
}

// The one colour every character of a line has, or -1 when they differ or the line is empty.
inline long long colourOf(const tovan::ColorEditModel& model, int line) {
    const auto& colours = model.store().colours(line);
    if (colours.empty())
        return -1;
    for (auto c : colours)
        if (c != colours.front())
            return -1;
    return colours.front();
}

// A model holding `lines` in the default colour, caret and anchor at (0, 0).
inline void fill(tovan::ColorEditModel& model, const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\n" : "") + lines[i];
    model.Reset();
    model.InsertText(text);
    model.SetSelection(0, 0, 0, 0);
}
