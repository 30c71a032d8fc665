#pragma once

#include "core/wmbus/MeterKeys.h"

#include <QString>

#include <string>

namespace tovan {

// The meter keys a second-family console decrypts with: those of the default key file.
class ConsoleMeterKeys {
public:
    // The keys of the key file at `path` (none when there is no file). `notice` gets what the
    // user is to be told: why a file was refused (the console then works without keys), or
    // which lines were skipped. Each such text is given once; it is given again only when what
    // is wrong changes. Never a key.
    static MeterKeys load(const std::string& path, QString& notice);

    // The caption of what is told about meter keys.
    static QString caption() { return QStringLiteral("Meter keys"); }
};

} // namespace tovan
