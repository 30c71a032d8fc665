#include "gui/composer/CVM77PacketViewDlg.h"

namespace tovan {
namespace {

using Role = ComposerFormLayout::Role;

ComposerFormLayout formLayout() {
    return ComposerFormLayout{
        ModuleFamily::VM77,
        QSize(451, 66),
        {
            {Role::Label, 0, "Preamble", QRect(8, 3, 30, 8)},
            {Role::Preamble, 1017, "", QRect(15, 16, 16, 14)},
            {Role::Label, 0, "Cmd", QRect(42, 3, 15, 8)},
            {Role::Command, 1019, "", QRect(40, 16, 16, 14)},
            {Role::Label, 0, "Length", QRect(63, 3, 23, 8)},
            {Role::Length, 1018, "", QRect(65, 16, 16, 14)},
            {Role::Label, 0, "Data", QRect(92, 3, 16, 8)},
            {Role::Data, 1020, "", QRect(90, 16, 324, 15)},
            {Role::ChecksumLabel, 1027, "Checksum", QRect(414, 4, 34, 8)},
            {Role::Checksum, 1021, "", QRect(424, 16, 16, 14)},
            {Role::Save, 1015, "Save", QRect(15, 41, 50, 14)},
            {Role::Transmit, 1016, "Transmit", QRect(71, 41, 50, 14)},
            {Role::Label, 0, "Send periodically:", QRect(153, 44, 56, 8)},
            {Role::Period, 1023, "", QRect(212, 42, 32, 12)},
            {Role::Label, 0, "ms", QRect(248, 44, 10, 8)},
            {Role::Activate, 1024, "Activate", QRect(266, 41, 50, 14)},
        },
        137, // Data left
        26,  // field top
        50,  // field bottom
        5,   // Checksum label top
        18,  // Checksum label bottom
    };
}

} // namespace

CVM77PacketViewDlg::CVM77PacketViewDlg(QWidget* parent) : CPacketViewDlg(formLayout(), parent) {
    setObjectName(QString::number(FORM_ID));
}

} // namespace tovan
