// Text tables and the language table of the database object.
#include "database/DBServer.h"

#include <climits>

#include "database/DbTransaction.h"
#include "platform/MessageBox.h"

namespace {

const char* const kErrTables[3] = {"KALOR_VELAS_ErrInf", "KALOR_VELAM_ErrInf", "KALOR_VELAMPlus_ErrInf"};

// The decimal number at the start of a text, as the C library reads it
// (leading blanks and a sign allowed); no digits give 0.
int LeadingNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

void AppendEmptyRow(strErrInfTab& tab)
{
    tab.strErrCount << QString();
    tab.strErrName << QString();
    tab.strErrCause << QString();
    tab.strErrDeal << QString();
}

} // namespace

bool CDBServer::LoadLanguageAndFaultTexts(int nKind, strErrInfTab* pTabs, CErrNameMap* pNames)
{
    // A kind outside 1..3 (no settings row, say) falls back to the first language.
    if (nKind < 1 || nKind > 3)
        nKind = 1;
    m_nLanguageKind = nKind;
    if (!m_pLanText || !pTabs || !pNames)
        return false;
    const QString k = QString::number(nKind);

    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Order by nSign"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        m_pLanText->append(rs->GetText(QLatin1String("Lan") + k));

    for (int t = 0; t < 3; ++t) {
        strErrInfTab& tab = pTabs[t];
        rs = Query(QStringLiteral("Select * From ") + QLatin1String(kErrTables[t]) + QLatin1String(" Order by ErrCount"));
        if (!rs || rs->GetRecordCount() == 0)
            return false;
        int i = 0;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext(), ++i) {
            if (t < 2) {
                // The level array has room for 150 rows; the shipped tables stay within it.
                if (i >= kErrLevelRows)
                    break;
                tab.nLevel[std::size_t(i)] = rs->GetInt(QStringLiteral("ErrLevel"));
                if (tab.nLevel[std::size_t(i)] == 0) {
                    AppendEmptyRow(tab);
                    continue;
                }
            } else {
                const QString level = rs->GetText(QStringLiteral("ErrLevel"));
                tab.strLevel << level;
                if (level == QLatin1String("0")) {
                    AppendEmptyRow(tab);
                    continue;
                }
            }
            const QString code = rs->GetText(QStringLiteral("ErrCount"));
            tab.strErrCount << code;
            const QString name = rs->GetText(QLatin1String("ErrName") + k);
            tab.strErrName << name;
            if (t == 2)
                pNames->emplace(LeadingNumber(QString(code).remove(QLatin1String("ERR"))), name);  // first name stays
            tab.strErrCause << rs->GetText(QLatin1String("ErrCause") + k);
            tab.strErrDeal << rs->GetText(QLatin1String("ErrDeal") + k);
        }
    }
    return true;
}

int CDBServer::GetLanguageKind()
{
    auto rs = Query(QStringLiteral("Select LanguageKind From KALOR_SoftInf"));
    int kind = 0;
    if (rs && rs->GetRecordCount() > 0) {
        rs->MoveFirst();
        kind = rs->GetInt(QStringLiteral("LanguageKind"));
    }
    m_pRecordset.reset();
    return kind;
}

bool CDBServer::LoadLanguageTableForExport(strLanguageSheet* pSheet)
{
    if (!pSheet)
        return false;
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Order by nSign"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        pSheet->rows.push_back({rs->GetText(QStringLiteral("nSign")), rs->GetText(QStringLiteral("Lan1")),
                                rs->GetText(QStringLiteral("Lan2")), rs->GetText(QStringLiteral("Lan3"))});

    rs = Query(QStringLiteral("Select * From ") + QLatin1String("KALOR_VELAMPlus_ErrInf") + QLatin1String(" Order by ErrCount"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    pSheet->rows.push_back({});
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        const QString key = rs->GetText(QStringLiteral("ErrCount")) + QLatin1Char('_') + rs->GetText(QStringLiteral("ErrLevel"));
        for (const char* part : {"ErrName", "ErrCause", "ErrDeal"}) {
            const QString col = QLatin1String(part);
            pSheet->rows.push_back({key, rs->GetText(col + QLatin1Char('1')), rs->GetText(col + QLatin1Char('2')),
                                    rs->GetText(col + QLatin1Char('3'))});
        }
    }
    m_pRecordset.reset();
    return true;
}

bool CDBServer::ValidateLanguageSheet(const strLanguageSheet& sheet, QString* pWhy) const
{
    const auto& rows = sheet.rows;
    std::size_t r = 0;
    for (; r < rows.size() && !rows[r][0].isEmpty(); ++r) {
        bool ok = false;
        rows[r][0].trimmed().toDouble(&ok);
        if (!ok) {
            *pWhy = QStringLiteral("row %1: the sign \"%2\" is not a number").arg(r + 1).arg(rows[r][0]);
            return false;
        }
    }
    if (r >= rows.size()) {
        *pWhy = QStringLiteral("the empty row after the UI texts is missing");
        return false;
    }
    for (++r;; r += 3) {
        if (r >= rows.size()) {
            *pWhy = QStringLiteral("the sheet does not end with \"End\"");
            return false;
        }
        const QString& key = rows[r][0];
        if (key.isEmpty() || key == QLatin1String("End"))
            return true;
        if (r + 2 >= rows.size()) {
            *pWhy = QStringLiteral("row %1: the fault \"%2\" lacks its cause or remedy row").arg(r + 1).arg(key);
            return false;
        }
    }
}

bool CDBServer::ImportLanguageTable(const strLanguageSheet& sheet)
{
    // The whole sheet is checked first and both tables are replaced in one
    // transaction: on any failure the texts of the next start stay as they were.
    QString why;
    if (!ValidateLanguageSheet(sheet, &why)) {
        AfxMessageBox(QStringLiteral("The language table was not imported: %1.").arg(why));
        return false;
    }
    if (!m_pAdo->IsOpen())
        return Exec(QStringLiteral("Delete From KALOR_SoftLan"));  // reports the closed connection
    CDbTransaction trans(*m_pAdo);
    if (!trans.IsActive())
        return false;

    const auto& rows = sheet.rows;
    std::size_t r = 0;
    auto fail = [&](const char* text) {
        trans.Rollback();
        if (text)
            AfxMessageBox(QLatin1String(text), QString());
        return false;
    };
    if (!Exec(QStringLiteral("Delete From KALOR_SoftLan")))
        return fail(nullptr);
    for (; !rows[r][0].isEmpty(); ++r) {
        if (!Exec(QStringLiteral("Insert into KALOR_SoftLan values( ?,?,?,?)"),
                  {rows[r][0], rows[r][1], rows[r][2], rows[r][3]}))
            return fail("Insert the SoftLan record to the data base failure");
    }
    if (!Exec(QStringLiteral("Delete From ") + QLatin1String("KALOR_VELAMPlus_ErrInf") + QLatin1String("")))
        return fail(nullptr);
    ++r;  // past the separator row
    const QString separatorA = QStringLiteral(",") + QString(24, QLatin1Char('\t')) + QLatin1String(" ");
    const QString insert = QStringLiteral("Insert into ") + QLatin1String("KALOR_VELAMPlus_ErrInf")
                           + QLatin1String(" values(?,?,?") + separatorA
                           + QLatin1String("?,?,?,?,?,?, ?,?)");
    for (;; r += 3) {
        const QString& key = rows[r][0];
        if (key.isEmpty() || key == QLatin1String("End"))
            break;
        const qsizetype cut = key.indexOf(QLatin1Char('_'));
        const QString code = cut < 0 ? QString() : key.left(cut);
        const QString level = cut < 0 ? key : key.mid(cut + 1);
        const auto& name = rows[r];
        const auto& cause = rows[r + 1];
        const auto& deal = rows[r + 2];
        if (!Exec(insert, {code, level, name[1], cause[1], deal[1], name[2], cause[2], deal[2], name[3], cause[3],
                           deal[3]}))
            return fail("Insert the ErrInfo record to the data base failure");
    }
    return trans.Commit();
}

void CDBServer::LoadLanguageNames(QStringList* pNames)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Where nSign = 232"));
    if (!rs || rs->GetRecordCount() == 0 || !pNames)
        return;
    rs->MoveFirst();
    *pNames << rs->GetText(QStringLiteral("Lan1")) << rs->GetText(QStringLiteral("Lan2"))
            << rs->GetText(QStringLiteral("Lan3"));
    m_pRecordset.reset();
}

void CDBServer::SetLanguageKind(int nKind)
{
    Exec(QStringLiteral("Update KALOR_SoftInf Set LanguageKind = %1").arg(nKind));
}
