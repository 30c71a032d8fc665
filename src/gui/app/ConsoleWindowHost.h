#pragma once

class QWidget;

namespace tovan {

class CSplitterView;

// Where the documents put their consoles: the main window implements it, so the document
// manager needs no knowledge of the window it lives in.
class ConsoleWindowHost {
public:
    virtual ~ConsoleWindowHost() = default;
    // Shows a new console as a child window and makes it the active one.
    virtual void addConsole(CSplitterView* console) = 0;
    // Brings an open console to the front, restoring it when minimised.
    virtual void activateConsole(CSplitterView* console) = 0;
    // The window the documents' dialogs are shown over.
    virtual QWidget* dialogParent() = 0;
};

} // namespace tovan
