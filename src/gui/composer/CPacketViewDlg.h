#pragma once

#include "core/composer/PacketComposer.h"
#include "gui/composer/ComposerFormLayout.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tovan {

class OwnerEndpoint;

// The packet composer pane of a console: the form in which a frame is typed field by field,
// saved into the command tree, transmitted once or periodically. The field logic lives in
// composer::PacketComposer; this form reads its fields into it before an action and shows
// them again afterwards. Each module family has its own form layout (a subclass).
class CPacketViewDlg : public QWidget {
    Q_OBJECT
public:
    // The periodic send timer is the composer's only timer and carries this id.
    static constexpr int PERIODIC_TIMER_ID = 1;
    // The document's File-Save command. While the composer is the active view it takes the
    // command without effect: the document is not saved from there.
    static constexpr int ID_FILE_SAVE = 57603;

    ~CPacketViewDlg() override;

    // The console that receives the composer's notifications (same thread, direct calls).
    void SetTargetWindow(OwnerEndpoint* target);
    // The console's port state; the buttons follow with the next load.
    void SetPortOpen(bool open);
    // Splits a stored frame text into the fields; an empty text means a folder is selected.
    // Ignored while periodic sending is on.
    void LoadFrameText(std::string_view text);
    // Stretches the Data field with the form's width and keeps the Checksum field and its
    // label at the right edge.
    void LayoutFields();

    // Command routing from the main frame while this form is the active view: returns true
    // when the command is taken here (File-Save, which is swallowed).
    bool handleCommand(int commandId);

    const composer::PacketComposer& composer() const { return m_composer; }
    // PERIODIC_TIMER_ID while periodic sending runs, 0 otherwise.
    int periodicTimerId() const { return m_timerId; }

protected:
    explicit CPacketViewDlg(const ComposerFormLayout& layout, QWidget* parent = nullptr);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    QLineEdit* addEdit(composer::Field field);
    QLineEdit* edit(composer::Field field) const;

    void onSave();
    void onTransmit();
    void onActivate();
    void onTick();
    void onTyped(composer::Field field);

    void readForm();
    void showFields();
    void applyControlStates();
    void showNotice(const composer::Notice& notice);
    // A field a refusal named gets a red background until it is typed in.
    static void markField(QLineEdit* field, bool atFault);

    ComposerFormLayout m_layout;
    composer::PacketComposer m_composer;
    QTimer m_timer;
    int m_timerId = 0;

    QPushButton* m_save = nullptr;
    QPushButton* m_transmit = nullptr;
    QPushButton* m_activate = nullptr;
    std::array<QLineEdit*, 7> m_edits{}; // by composer::Field
    QLabel* m_checksumLabel = nullptr;
};

} // namespace tovan
