#pragma once

#include "core/frames/ModuleFamily.h"

#include <cstddef>
#include <string>

namespace tovan::composer {

// The texts of the composer's fields, as the form shows them.
struct Fields {
    std::string preamble;
    std::string command; // Command (first family) or Cmd (second family)
    std::string length;
    std::string data;
    std::string checksum;
    std::string period; // "Send periodically:" in milliseconds
};

enum class Field { None, Preamble, Command, Length, Data, Checksum, Period };

// Input limits of the fields, also checked whenever the form is read. The period has none.
constexpr int DATA_LIMIT = 384;
constexpr int VX31_COMMAND_LIMIT = 5; // two bytes written as XX XX
constexpr int VM77_COMMAND_LIMIT = 2;
constexpr int BYTE_FIELD_LIMIT = 2; // Preamble, Length, Checksum
constexpr int NO_LIMIT = -1;

// Every frame the composer saves or sends is converted into an area of this many bytes.
constexpr std::size_t FRAME_AREA_BYTES = 252;

// Enable states of the form's controls.
struct ControlStates {
    bool save = false;
    bool transmit = false;
    bool activate = false;
    bool inputsWritable = false; // Data and Command/Cmd
    bool periodicLook = false;   // Activate button shows "Deactivate" in the flat style
};

} // namespace tovan::composer
