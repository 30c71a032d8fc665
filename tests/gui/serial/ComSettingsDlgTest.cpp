#include "gui/serial/CComSettingsDlg.h"
#include "gui/serial/PortList.h"
#include "gui/serial/RemotePortMemory.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

using namespace tovan;

namespace {

template <typename T>
T* child(QWidget* dialog, const char* id) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

// Runs editComSettings with `user` acting on the dialog once it is shown.
std::optional<ComSettingsForm::StatusTexts> edit(PortSettings& settings,
                                                 std::function<void(QWidget*)> user) {
    QTimer::singleShot(0, [user] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        user(dialog);
    });
    return editComSettings(nullptr, settings);
}

} // namespace

TEST(ComSettingsDlg, ControlsTextsAndBaudList) {
    CComSettingsDlg dialog(ComSettingsForm::fromSettings(PortSettings{}));
    EXPECT_EQ(dialog.windowTitle(), "COM settings");
    QStringList groups;
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>())
        groups << group->title();
    EXPECT_EQ(groups, QStringList({"COM", "Baudrate", "Parity", "Flowcontrol", "Stopbits"}));
    const std::pair<const char*, const char*> radios[] = {
        {"1002", "RTS/CTS"}, {"1003", "None"}, {"1004", "One Stopbit"}, {"1005", "Two Stopbits"},
        {"1006", "None"},    {"1007", "Odd"},  {"1008", "Even"},
    };
    for (const auto& [id, text] : radios)
        EXPECT_EQ(child<QRadioButton>(&dialog, id)->text(), text);
    EXPECT_EQ(child<QPushButton>(&dialog, "1")->text(), "OK");
    EXPECT_EQ(child<QPushButton>(&dialog, "2")->text(), "Cancel");

    auto* baud = child<QComboBox>(&dialog, "1001");
    QStringList rates;
    for (int i = 0; i < baud->count(); ++i)
        rates << baud->itemText(i);
    // The four of the dialog first, then every speed a Linux driver knows, up to 4,000,000.
    EXPECT_EQ(rates.mid(0, 4), QStringList({"9600", "14400", "38400", "115200"}));
    EXPECT_EQ(rates.size(), 23);
    EXPECT_EQ(rates.last(), "4000000");
    EXPECT_TRUE(baud->isEditable());
    EXPECT_TRUE(child<QComboBox>(&dialog, "1000")->isEditable());
}

TEST(ComSettingsDlg, OkWritesTheRecordAndReturnsThePaneTexts) {
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
    settings.dcb.Parity = MARKPARITY;
    settings.dcb.StopBits = ONE5STOPBITS;
    const auto panes = edit(settings, [](QWidget* dialog) {
        // What the dialog shows on opening.
        EXPECT_TRUE(child<QRadioButton>(dialog, "1006")->isChecked()); // parity None
        EXPECT_TRUE(child<QRadioButton>(dialog, "1004")->isChecked()); // One Stopbit
        EXPECT_TRUE(child<QRadioButton>(dialog, "1003")->isChecked()); // handshake None
        EXPECT_EQ(child<QComboBox>(dialog, "1000")->currentText(), "COM1");
        auto* baud = child<QComboBox>(dialog, "1001");
        EXPECT_EQ(baud->currentIndex(), 0);

        baud->lineEdit()->clear();
        QTest::keyClicks(baud->lineEdit(), "38400x");
        child<QComboBox>(dialog, "1000")->setEditText("ttyUSB3");
        QTest::mouseClick(child<QRadioButton>(dialog, "1002"), Qt::LeftButton);
        QTest::mouseClick(child<QRadioButton>(dialog, "1005"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    });
    ASSERT_TRUE(panes);
    EXPECT_EQ(panes->port, "ttyUSB3");
    EXPECT_EQ(panes->baud, "38400x");
    EXPECT_EQ(settings.portName, "ttyUSB3");
    EXPECT_EQ(settings.dcb.BaudRate, 38400u);
    EXPECT_EQ(settings.dcb.Parity, NOPARITY);
    EXPECT_EQ(settings.dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(settings.dcb.fRtsControl, RTS_CONTROL_HANDSHAKE);
    EXPECT_EQ(settings.dcb.fOutxCtsFlow, 1);
}

TEST(ComSettingsDlg, CancelChangesNothing) {
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VX31);
    settings.dcb.Parity = 4;
    const PortSettings before = settings;
    const auto panes = edit(settings, [](QWidget* dialog) {
        child<QComboBox>(dialog, "1001")->setEditText("300");
        QTest::mouseClick(child<QRadioButton>(dialog, "1008"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "2"), Qt::LeftButton);
    });
    EXPECT_FALSE(panes);
    EXPECT_EQ(settings.portName, before.portName);
    EXPECT_EQ(settings.dcb, before.dcb);
}

TEST(ComSettingsDlg, UnlistedBaudRateShowsAsTyped) {
    PortSettings settings;
    settings.dcb.BaudRate = 57600;
    CComSettingsDlg dialog(ComSettingsForm::fromSettings(settings));
    EXPECT_EQ(child<QComboBox>(&dialog, "1001")->currentText(), "57600");
    EXPECT_EQ(dialog.values().baudText, "57600");
}

TEST(PortCombo, DropDownRebuildsTheListSortedAndOnce) {
    QStringList ports = {"ttyS1", "ttyUSB0", "ttyS0", "ttyS1"};
    PortComboBox combo([&ports] { return ports; });
    combo.setEditText("ttyUSB0");
    EXPECT_EQ(combo.count(), 0); // empty until dropped down

    combo.showPopup();
    combo.hidePopup();
    ports << "ttyACM0";
    combo.showPopup();
    combo.hidePopup();
    QStringList listed;
    for (int i = 0; i < combo.count(); ++i)
        listed << combo.itemText(i);
    EXPECT_EQ(listed, QStringList({"ttyACM0", "ttyS0", "ttyS1", "ttyUSB0"}));
    EXPECT_EQ(combo.currentText(), "ttyUSB0");

    combo.setEditText("COM9"); // typed, not a known port: kept as it is
    combo.showPopup();
    combo.hidePopup();
    EXPECT_EQ(combo.currentText(), "COM9");
    EXPECT_EQ(combo.count(), 4);
}

TEST(PortList, SortedIgnoringCaseEachOnce) {
    EXPECT_EQ(sortedPortNames({"ttyUSB0", "COM2", "com1", "COM2"}),
              QStringList({"com1", "COM2", "ttyUSB0"}));
    const QStringList system = availablePortNames();
    EXPECT_EQ(system, sortedPortNames(system));
}

TEST(ComSettingsDlg, ARemotePortTakesAPauseAndIsRememberedWithIt) {
    QTemporaryDir folder;
    RemotePortMemory memory(folder.filePath("settings.ini"));
    PortSettings settings = PortSettings::forFamily(ModuleFamily::VM77);
    CComSettingsDlg local(ComSettingsForm::fromSettings(settings), nullptr, nullptr, &memory);
    EXPECT_FALSE(child<QSpinBox>(&local, "1010")->isEnabled()) << "local ports keep 20 ms";

    const std::string remote = "rfc2217://lab-host:4001";
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* port = child<QComboBox>(dialog, "1000");
        port->lineEdit()->clear();
        QTest::keyClicks(port->lineEdit(), QString::fromStdString(remote));
        auto* pause = child<QSpinBox>(dialog, "1010");
        EXPECT_TRUE(pause->isEnabled());
        pause->setValue(900); // beyond the range: held at 500
        QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    });
    ASSERT_TRUE(editComSettings(nullptr, settings, &memory));
    EXPECT_EQ(settings.portName, remote);
    EXPECT_EQ(settings.remote.framePauseMs, 500u);
    EXPECT_EQ(memory.names(), QStringList({QString::fromStdString(remote)}));

    // Chosen again later, the remembered port brings its pause back.
    PortSettings other = PortSettings::forFamily(ModuleFamily::VM77);
    CComSettingsDlg again(
        ComSettingsForm::fromSettings(other), nullptr, [&] { return memory.names(); }, &memory);
    again.portCombo()->showPopup();
    again.portCombo()->hidePopup();
    again.portCombo()->setCurrentIndex(again.portCombo()->findText(QString::fromStdString(remote)));
    EXPECT_EQ(again.values().pauseMs, 500u);
}
