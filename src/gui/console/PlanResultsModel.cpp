#include "gui/console/PlanResultsModel.h"

#include "core/console/ConsolePlan.h"
#include "core/frames/CHexCodec.h"

#include <QBrush>
#include <QColor>

namespace tovan {
namespace {

QString hexOf(const std::optional<std::vector<std::uint8_t>>& frame) {
    if (!frame)
        return {};
    std::string text;
    CHexCodec().BytesToHex(frame->data(), frame->size(), text);
    return QString::fromStdString(text);
}

} // namespace

void PlanResultsModel::setPlan(const ConsolePlan* plan) {
    beginResetModel();
    m_plan = plan;
    m_run = plan ? plan->runNumber() : 0;
    m_rows = static_cast<int>(results().size());
    endResetModel();
}

void PlanResultsModel::refresh() {
    if (m_plan && m_plan->runNumber() != m_run) {
        setPlan(m_plan);
        return;
    }
    const int rows = static_cast<int>(results().size());
    if (rows <= m_rows)
        return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

const std::vector<StepResult>& PlanResultsModel::results() const {
    static const std::vector<StepResult> none;
    return m_plan ? m_plan->results() : none;
}

int PlanResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int PlanResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QVariant PlanResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows ||
        static_cast<std::size_t>(index.row()) >= results().size())
        return {};
    const StepResult& result = results()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return text(result, index.column());
    case Qt::ToolTipRole:
        return result.passed ? QVariant() : QString::fromStdString(result.reason);
    case Qt::BackgroundRole:
        return QBrush(result.passed ? QColor(0xDF, 0xF5, 0xDF) : QColor(0xFA, 0xD4, 0xD4));
    case Qt::ForegroundRole:
        return index.column() == RESULT && !result.passed ? QBrush(QColor(0xB0, 0x00, 0x00))
                                                          : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == NUMBER || index.column() == LATENCY
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant();
    default:
        return {};
    }
}

QString PlanResultsModel::text(const StepResult& result, int column) const {
    switch (column) {
    case NUMBER:
        return QString::number(result.number);
    case STEP: {
        QString step =
            QStringLiteral("line %1: %2").arg(result.line).arg(QString::fromStdString(result.step));
        return result.iteration.empty()
                   ? step
                   : step + QStringLiteral(" [%1]").arg(QString::fromStdString(result.iteration));
    }
    case SENT:
        return hexOf(result.sent);
    case RECEIVED:
        return hexOf(result.received);
    case LATENCY:
        return result.latencyMs ? QString::number(*result.latencyMs, 'f', 1) : QString();
    case RESULT:
        return result.passed ? QStringLiteral("pass")
                             : QStringLiteral("FAIL: ") + QString::fromStdString(result.reason);
    default:
        return {};
    }
}

QVariant PlanResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[COLUMN_COUNT] = {"#",        "Step",         "Sent",
                                                    "Received", "Latency (ms)", "Result"};
    return section >= 0 && section < COLUMN_COUNT ? QString::fromLatin1(names[section])
                                                  : QVariant();
}

} // namespace tovan
