#include "gui/wmbus/ConsoleMeterKeys.h"

#include "core/wmbus/MeterKeyFile.h"

namespace tovan {
namespace {

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString noticeOf(const std::string& path, const MeterKeyFile::Result& result) {
    if (!result.loaded)
        return QStringLiteral("No meter keys were loaded: %1.\n\nThe console works without "
                              "them; telegrams of meters that encrypt are not decrypted.")
            .arg(local(result.error));
    if (result.problems.empty())
        return {};
    QString text =
        QStringLiteral("Lines of the key file %1 that are not keys were skipped:").arg(local(path));
    for (const MeterKeys::Problem& problem : result.problems)
        text += QStringLiteral("\nline %1: %2")
                    .arg(static_cast<qulonglong>(problem.line))
                    .arg(local(problem.reason));
    return text;
}

} // namespace

MeterKeys ConsoleMeterKeys::load(const std::string& path, QString& notice) {
    // Every console loads the file as it opens; what is wrong with it is said once, not by
    // every console anew.
    static QString told;
    MeterKeys keys;
    const MeterKeyFile::Result result = MeterKeyFile::load(path, keys);
    notice.clear();
    if (!result.loaded && result.missing)
        return keys;
    const QString text = noticeOf(path, result);
    if (text != told)
        notice = text;
    told = text;
    return keys;
}

} // namespace tovan
