#include "database/AdoRecordset.h"

#include <algorithm>
#include <cmath>
#include <limits>

CAdoRecordset::CAdoRecordset(QStringList columns, std::vector<Block> blocks, std::size_t rowCount)
    : m_columns(std::move(columns))
    , m_blocks(std::move(blocks))
    , m_rowCount(m_columns.isEmpty() ? 0 : rowCount)
{
}

int CAdoRecordset::ColumnIndex(const QString& name) const
{
    // The statements spell most names as the schema does: try that first.
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i] == name)
            return i;
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const CAdoRecordset::Value* CAdoRecordset::Field(int col) const
{
    if (IsEOF() || col < 0 || col >= m_columns.size())
        return nullptr;
    const std::size_t row = m_pos % kRowsPerBlock;
    return &m_blocks[m_pos / kRowsPerBlock][row * std::size_t(m_columns.size()) + std::size_t(col)];
}

bool CAdoRecordset::IsNull(const QString& name) const { return IsNull(ColumnIndex(name)); }
QString CAdoRecordset::GetText(const QString& name) const { return GetText(ColumnIndex(name)); }
std::int32_t CAdoRecordset::GetInt(const QString& name) const { return GetInt(ColumnIndex(name)); }
double CAdoRecordset::GetDouble(const QString& name) const { return GetDouble(ColumnIndex(name)); }

bool CAdoRecordset::IsNull(int col) const
{
    const Value* v = Field(col);
    return !v || std::holds_alternative<std::monostate>(*v);
}

QString CAdoRecordset::GetText(int col) const
{
    const Value* v = Field(col);
    if (!v)
        return QString();
    if (const auto* s = std::get_if<QString>(v))
        return *s;
    if (const auto* i = std::get_if<std::int64_t>(v))
        return QString::number(*i);
    if (const auto* d = std::get_if<double>(v))
        return QString::number(*d, 'g', 15);
    return QString();
}

namespace {
std::int32_t ClampToInt32(double d)
{
    if (!std::isfinite(d))
        return 0;
    d = std::nearbyint(d);
    if (d > double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (d < double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(d);
}
} // namespace

std::int32_t CAdoRecordset::GetInt(int col) const
{
    const Value* v = Field(col);
    if (!v)
        return 0;
    if (const auto* i = std::get_if<std::int64_t>(v))
        return std::int32_t(std::clamp<std::int64_t>(*i, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
    if (const auto* d = std::get_if<double>(v))
        return ClampToInt32(*d);
    if (const auto* s = std::get_if<QString>(v)) {
        bool ok = false;
        const double d = s->trimmed().toDouble(&ok);
        return ok ? ClampToInt32(d) : 0;
    }
    return 0;
}

double CAdoRecordset::GetDouble(int col) const
{
    const Value* v = Field(col);
    if (!v)
        return 0.0;
    if (const auto* i = std::get_if<std::int64_t>(v))
        return double(*i);
    if (const auto* d = std::get_if<double>(v))
        return *d;
    if (const auto* s = std::get_if<QString>(v))
        return s->trimmed().toDouble();
    return 0.0;
}
