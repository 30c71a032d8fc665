#include "gui/composer/CVX3xPacketViewDlg.h"

namespace tovan {
namespace {

using Role = ComposerFormLayout::Role;

ComposerFormLayout formLayout() {
    return ComposerFormLayout{
        ModuleFamily::VX31,
        QSize(441, 61),
        {
            {Role::Label, 0, "Preamble", QRect(6, 3, 30, 8)},
            {Role::Preamble, 1011, "", QRect(11, 15, 16, 14)},
            {Role::Label, 0, "Length", QRect(39, 3, 23, 8)},
            {Role::Length, 1010, "", QRect(37, 15, 16, 14)},
            {Role::Label, 0, "Command", QRect(66, 3, 32, 8)},
            {Role::Command, 1008, "", QRect(62, 15, 42, 14)},
            {Role::Label, 0, "Data", QRect(110, 3, 16, 8)},
            {Role::Data, 1007, "", QRect(112, 15, 296, 15)},
            {Role::ChecksumLabel, 1026, "Checksum", QRect(406, 3, 34, 8)},
            {Role::Checksum, 1009, "", QRect(415, 15, 16, 14)},
            {Role::Save, 1012, "Save", QRect(11, 37, 50, 14)},
            {Role::Transmit, 1013, "Transmit", QRect(66, 37, 50, 14)},
            {Role::Label, 0, "Send periodically:", QRect(137, 40, 56, 8)},
            {Role::Period, 1022, "", QRect(194, 38, 32, 12)},
            {Role::Label, 0, "ms", QRect(230, 39, 10, 11)},
            {Role::Activate, 1014, "Activate", QRect(249, 37, 50, 14)},
        },
        170, // Data left
        24,  // field top
        47,  // field bottom
        6,   // Checksum label top
        19,  // Checksum label bottom
    };
}

} // namespace

CVX3xPacketViewDlg::CVX3xPacketViewDlg(QWidget* parent) : CPacketViewDlg(formLayout(), parent) {
    setObjectName(QString::number(FORM_ID));
}

} // namespace tovan
