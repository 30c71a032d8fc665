#include "core/composer/PacketComposer.h"

#include "core/composer/ComposerLoad.h"
#include "core/composer/ComposerRules.h"
#include "core/composer/ComposerSave.h"
#include "core/hub/ConsoleMessage.h"
#include "core/hub/OwnerEndpoint.h"

namespace tovan::composer {

PacketComposer::PacketComposer(ModuleFamily family) : m_family(family) {
    m_fields.preamble = family == ModuleFamily::VX31 ? "FE" : "FF";
    // A frame can be composed and sent before any command exists; Save then makes one.
    m_controls.save = true;
    m_controls.inputsWritable = true;
}

void PacketComposer::setPortOpen(bool open) {
    m_portOpen = open;
    if (m_periodicActive)
        return;
    m_controls.transmit = open;
    m_controls.activate = open;
}

void PacketComposer::send(std::uint32_t code, const std::uint8_t* bytes, std::size_t length) {
    if (m_target)
        m_target->deliver(code, bytes, length);
}

std::optional<Notice> PacketComposer::save() {
    if (auto refusal = buildFrame())
        return refusal;
    send(CD_SAVE_COMMAND, reinterpret_cast<const std::uint8_t*>(m_frameText.data()),
         m_frameText.size());
    return std::nullopt;
}

std::optional<Notice> PacketComposer::buildFromFields() {
    if (!m_edited && !m_frameText.empty())
        return std::nullopt;
    if (m_fields.command.empty() && (m_family == ModuleFamily::VX31 || m_fields.data.empty()))
        return Notice{MessageId::NothingToSend, Field::Command};
    return buildFrame();
}

// The frame Save's rules make of the fields, and the fields as it writes them back.
std::optional<Notice> PacketComposer::buildFrame() {
    SaveOutcome outcome = saveFrame(m_family, m_fields);
    if (outcome.refusal)
        return outcome.refusal;
    m_fields = std::move(outcome.fields);
    m_frameText = std::move(outcome.frameText);
    m_edited = false;
    return std::nullopt;
}

std::optional<Notice> PacketComposer::transmit() {
    if (auto refusal = buildFromFields())
        return refusal;
    if (!fitsFrameArea(m_frameText))
        return Notice{MessageId::FrameTooLong};
    const int count = m_codec.HexToBytes(m_frameText, m_buffer.data(), m_buffer.size());
    send(CD_SEND_FRAME, m_buffer.data(), static_cast<std::size_t>(count) & 0xFF);
    return std::nullopt;
}

PacketComposer::PeriodicSwitch PacketComposer::togglePeriodic() {
    PeriodicSwitch result;
    if (m_periodicActive) {
        m_periodicActive = false;
        m_controls.periodicLook = false;
        send(CD_TOGGLE_PERIODIC, nullptr, 0);
        result.stop = true;
        m_controls.transmit = true;
        m_controls.save = true;
        m_controls.inputsWritable = true;
        return result;
    }
    if (auto overLimit = checkFieldLimits(m_family, m_fields)) {
        result.refusal = overLimit;
        return result;
    }
    const PeriodCheck period = checkPeriod(m_fields.period);
    if (period.refusal) {
        result.refusal = period.refusal;
        return result;
    }
    // Every tick sends the frame the fields show; one that cannot be built is told now.
    if (auto refusal = buildFromFields()) {
        result.refusal = refusal;
        return result;
    }
    if (!fitsFrameArea(m_frameText)) {
        result.refusal = Notice{MessageId::FrameTooLong};
        return result;
    }
    result.startMs = period.milliseconds;
    m_periodicActive = true;
    m_controls.periodicLook = true;
    m_controls.inputsWritable = false;
    m_controls.transmit = false;
    m_controls.save = false;
    send(CD_TOGGLE_PERIODIC, nullptr, 0);
    return result;
}

// A folder (an empty text) leaves the fields as they are and keeps the form working: what is
// composed there can be sent, and Save makes it a command of the folder.
bool PacketComposer::load(std::string_view text) {
    if (m_periodicActive)
        return false;
    if (loadFrame(m_family, text, m_fields, m_frameText))
        m_edited = false;
    m_controls.save = true;
    m_controls.transmit = m_portOpen;
    m_controls.activate = m_portOpen;
    m_controls.inputsWritable = true;
    return true;
}

InputCheckResult PacketComposer::checkTyped(Field field, int caret) {
    std::string& text = field == Field::Data ? m_fields.data : m_fields.command;
    const CheckKind kind = field == Field::Command && m_family == ModuleFamily::VM77
                               ? CheckKind::CharacterOnly
                               : CheckKind::WithSpacing;
    InputCheckResult result =
        checkTypedInput(text, caret, kind, static_cast<std::size_t>(fieldLimit(m_family, field)));
    text = result.text;
    m_edited = true;
    return result;
}

} // namespace tovan::composer
