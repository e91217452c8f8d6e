#pragma once
// A query's rows, fetched in full when the query runs (a static cursor): the
// count is known at once and the walk can go to the first or last row.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <variant>
#include <vector>

class CAdoRecordset {
public:
    // NULL, integer, real or text, as the file stores them.
    using Value = std::variant<std::monostate, std::int64_t, double, QString>;

    // Rows are kept in blocks of kRowsPerBlock rows, columns.size() values a
    // row, so that a long result is never moved while it is fetched.
    static constexpr std::size_t kRowsPerBlock = 1024;
    using Block = std::vector<Value>;

    CAdoRecordset() = default;
    CAdoRecordset(QStringList columns, std::vector<Block> blocks, std::size_t rowCount);

    int GetRecordCount() const { return int(m_rowCount); }
    void MoveFirst() { m_pos = 0; }
    void MoveLast() { m_pos = m_rowCount == 0 ? 0 : m_rowCount - 1; }
    void MoveNext() { if (m_pos < m_rowCount) ++m_pos; }
    bool IsEOF() const { return m_pos >= m_rowCount; }

    const QStringList& GetColumns() const { return m_columns; }
    bool HasColumn(const QString& name) const { return ColumnIndex(name) >= 0; }
    // Position of a column (case-insensitive), -1 if there is none; long walks
    // look it up once and read by position.
    int ColumnIndex(const QString& name) const;

    // Reads of the current row by column name (case-insensitive, as the
    // statements spell names freely). A missing row or column reads as NULL.
    bool IsNull(const QString& name) const;
    // NULL or empty gives an empty text; numbers are written in decimal.
    QString GetText(const QString& name) const;
    // Converted to a 32-bit integer; NULL, empty or non-numeric text gives 0.
    std::int32_t GetInt(const QString& name) const;
    double GetDouble(const QString& name) const;

    bool IsNull(int col) const;
    QString GetText(int col) const;
    std::int32_t GetInt(int col) const;
    double GetDouble(int col) const;

private:
    const Value* Field(int col) const;
    const Value* Field(const QString& name) const { return Field(ColumnIndex(name)); }

    QStringList m_columns;
    std::vector<Block> m_blocks;
    std::size_t m_rowCount = 0;
    std::size_t m_pos = 0;
};
