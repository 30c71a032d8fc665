#include "gui/serial/PortSettingsMemory.h"

#include <QSettings>

namespace tovan {

namespace {

QString groupOf(ModuleFamily family) {
    const std::string_view model = modelName(family);
    return QStringLiteral("Ports/") +
           QString::fromLatin1(model.data(), static_cast<qsizetype>(model.size()));
}

} // namespace

std::optional<ComSettingsForm> PortSettingsMemory::startingSettings(ModuleFamily family,
                                                                    const ComSettingsForm& defaults,
                                                                    const QStringList& ports) {
    QSettings settings;
    settings.beginGroup(groupOf(family));
    ComSettingsForm form = defaults;
    if (!settings.contains(QStringLiteral("port"))) {
        if (ports.isEmpty())
            return std::nullopt;
        form.portText = firstPortFor(family, ports).toStdString();
        return form;
    }
    form.portText = settings.value(QStringLiteral("port")).toString().toStdString();
    form.baudText = settings.value(QStringLiteral("baud"), QString::fromStdString(form.baudText))
                        .toString()
                        .toStdString();
    form.handshakeIndex = settings.value(QStringLiteral("handshake"), form.handshakeIndex).toInt();
    form.parityIndex = settings.value(QStringLiteral("parity"), form.parityIndex).toInt();
    form.stopBitsIndex = settings.value(QStringLiteral("stopBits"), form.stopBitsIndex).toInt();
    form.pauseMs = settings.value(QStringLiteral("pause"), form.pauseMs).toUInt();
    return form;
}

// "SIM-VX31-1" for a VX31 console where simulated modules of both families run; a real port
// does not name a family, so the first one is taken.
QString PortSettingsMemory::firstPortFor(ModuleFamily family, const QStringList& ports) {
    const std::string_view model = modelName(family);
    const QString tag = QString::fromLatin1(model.data(), static_cast<qsizetype>(model.size()))
                            .section(QLatin1Char('-'), 0, 0);
    for (const QString& port : ports)
        if (port.contains(tag, Qt::CaseInsensitive))
            return port;
    return ports.isEmpty() ? QString() : ports.constFirst();
}

void PortSettingsMemory::remember(ModuleFamily family, const ComSettingsForm& form) {
    QSettings settings;
    settings.beginGroup(groupOf(family));
    settings.setValue(QStringLiteral("port"), QString::fromStdString(form.portText));
    settings.setValue(QStringLiteral("baud"), QString::fromStdString(form.baudText));
    settings.setValue(QStringLiteral("handshake"), form.handshakeIndex);
    settings.setValue(QStringLiteral("parity"), form.parityIndex);
    settings.setValue(QStringLiteral("stopBits"), form.stopBitsIndex);
    settings.setValue(QStringLiteral("pause"), form.pauseMs);
}

} // namespace tovan
