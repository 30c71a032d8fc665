#pragma once

#include "core/composer/ComposerTexts.h"
#include "core/composer/ComposerTypes.h"
#include "core/composer/InputCheck.h"
#include "core/frames/CHexCodec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovan {

class OwnerEndpoint;

namespace composer {

// The state and behaviour of one console's packet composer, without a window: the field
// texts, the frame text that Transmit sends, the enable states of the controls and the
// notifications to the console (CD_SAVE_COMMAND, CD_SEND_FRAME, CD_TOGGLE_PERIODIC). The form
// copies its fields in before an action and shows them again afterwards.
class PacketComposer {
public:
    explicit PacketComposer(ModuleFamily family);

    ModuleFamily family() const { return m_family; }
    Fields& fields() { return m_fields; }
    const Fields& fields() const { return m_fields; }
    const std::string& frameText() const { return m_frameText; }
    const ControlStates& controls() const { return m_controls; }
    bool periodicActive() const { return m_periodicActive; }
    bool portOpen() const { return m_portOpen; }

    // The console that receives the notifications (not owned); none: nothing is sent.
    void setTarget(OwnerEndpoint* target) { m_target = target; }
    // Transmit and Activate follow the port at once (there may be no command to load).
    void setPortOpen(bool open);

    // Builds Length, Checksum and the frame text and sends the frame text to be stored.
    std::optional<Notice> save();

    // Sends exactly the frame the fields show. When they were edited since the last Save or
    // load, the frame is built from them as Save builds it (Length and Checksum filled in) but
    // not stored; a frame that cannot be built sends nothing, and the notice says why. A
    // frame text of more bytes than the frame area is refused, never cut.
    std::optional<Notice> transmit();
    // Whether the fields were changed since the frame text was last built or loaded.
    bool edited() const { return m_edited; }
    // The form tells of a change it made to a field outside the typing checks.
    void markEdited() { m_edited = true; }

    // Activate or Deactivate. Starting reads the period; `startMs` is set when the timer is to
    // be started, `stop` when it is to be stopped.
    struct PeriodicSwitch {
        std::optional<Notice> refusal;
        int startMs = 0;
        bool stop = false;
    };
    PeriodicSwitch togglePeriodic();

    // Loads a stored frame text (empty: a folder is selected). Ignored while periodic sending
    // is on, so the form keeps the frame being repeated; returns false then.
    bool load(std::string_view text);

    // Checks a field the user has just changed (Data, or Command/Cmd) and updates its text.
    InputCheckResult checkTyped(Field field, int caret);

    // The frame area of the last Transmit.
    const std::array<std::uint8_t, FRAME_AREA_BYTES>& transmitBuffer() const { return m_buffer; }

private:
    void send(std::uint32_t code, const std::uint8_t* bytes, std::size_t length);
    // The frame text made from the fields as Save makes it, when they were edited or no frame
    // text exists yet.
    std::optional<Notice> buildFromFields();
    std::optional<Notice> buildFrame();

    ModuleFamily m_family;
    Fields m_fields;
    std::string m_frameText;
    ControlStates m_controls;
    bool m_periodicActive = false;
    bool m_portOpen = false;
    bool m_edited = false;
    CHexCodec m_codec;
    OwnerEndpoint* m_target = nullptr;
    std::array<std::uint8_t, FRAME_AREA_BYTES> m_buffer{};
};

} // namespace composer
} // namespace tovan
