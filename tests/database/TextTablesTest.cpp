// UI texts, fault texts and the language table's way to and from a workbook.
#include <gtest/gtest.h>

#include "DbTestSupport.h"

namespace {

class TextTest : public DbTest {
protected:
    // Both language-related tables, every column, as text.
    QStringList Dump()
    {
        QStringList rows;
        for (const char* sql : {"SELECT * FROM KALOR_SoftLan ORDER BY nSign",
                                "SELECT * FROM KALOR_VELAMPlus_ErrInf ORDER BY ErrCount"}) {
            auto rs = m_db.m_pAdo->GetRecordSet(QLatin1String(sql));
            if (!rs)
                return {};
            for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
                QStringList cells;
                for (const QString& c : rs->GetColumns())
                    cells << (rs->IsNull(c) ? QStringLiteral("<null>") : rs->GetText(c));
                rows << cells.join(QLatin1Char('|'));
            }
        }
        return rows;
    }
    strLanguageSheet Exported()
    {
        strLanguageSheet sheet;
        EXPECT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
        return sheet;
    }
    // UI texts 0..276 as the station shows them; an import needs them all.
    void StationShaped()
    {
        ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan")));
        ASSERT_TRUE(Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 276)"
                                        " INSERT INTO KALOR_SoftLan SELECT i, 'A' || i, 'B' || i, 'C' || i FROM n")));
        m_db.m_nLanguageKind = 2;
    }
    static void AddEnd(strLanguageSheet& sheet)
    {
        sheet.rows.push_back({QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End")});
    }
};

} // namespace

TEST_F(TextTest, UiTextsFollowSignOrderAndTheLanguageColumn)
{
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_SoftLan VALUES (5,'a5','b5','c5'), (2,'a2',NULL,'c2'), (9,'a9','b9','c9')")));
    QStringList texts;
    m_db.m_pLanText = &texts;
    strErrInfTab tabs[3];
    CErrNameMap names;
    ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(2, tabs, &names));
    EXPECT_EQ(m_db.m_nLanguageKind, 2);
    // Row positions stay row positions: the NULL text keeps its place, empty.
    EXPECT_EQ(texts, QStringList({QString(), QStringLiteral("b5"), QStringLiteral("b9")}));
    EXPECT_EQ(tabs[0].strErrName, QStringList{QStringLiteral("n1b")});
    EXPECT_EQ(tabs[2].strErrCause, QStringList({QStringLiteral("Jammed"), QStringLiteral("Governor")}));  // ERR12 before ERR3

    // A kind outside 1..3 reads the first language.
    texts.clear();
    strErrInfTab more[3];
    names.clear();
    ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(0, more, &names));
    EXPECT_EQ(texts, QStringList({QStringLiteral("a2"), QStringLiteral("a5"), QStringLiteral("a9")}));
    EXPECT_EQ(m_db.m_nLanguageKind, 1);
}

TEST_F(TextTest, FaultTablesKeepRowPositionsLevelsAndTheFirstNameOfACode)
{
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAS_ErrInf")));
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAMPlus_ErrInf")));
    ASSERT_TRUE(Exec(QStringLiteral(
        "INSERT INTO KALOR_VELAS_ErrInf (ErrCount, ErrLevel, ErrName1, ErrName3) VALUES"
        " ('ERR2', 2, 'two', 'zwei'), ('ERR10', 0, 'ten', 'zehn'), ('ERR1', 1, 'one', 'eins')")));
    ASSERT_TRUE(Exec(QStringLiteral(
        "INSERT INTO KALOR_VELAMPlus_ErrInf (ErrCount, ErrLevel, ErrName3, ErrCause3, ErrDeal3) VALUES"
        " ('ERR07', '2', 'first seven', 'c', 'd'), ('ERR7', '3', 'second seven', 'c2', 'd2'),"
        " ('ERR12', '0', 'unused', 'x', 'y'), ('ERRX', '1', 'no digits', '', NULL)")));
    strErrInfTab tabs[3];
    CErrNameMap names;
    ASSERT_TRUE(m_db.LoadLanguageAndFaultTexts(3, tabs, &names));

    // Text order of ErrCount: ERR1, ERR10, ERR2; the level-0 row has empty texts.
    EXPECT_EQ(tabs[0].nLevel[0], 1);
    EXPECT_EQ(tabs[0].nLevel[1], 0);
    EXPECT_EQ(tabs[0].nLevel[2], 2);
    EXPECT_EQ(tabs[0].strErrCount, QStringList({QStringLiteral("ERR1"), QString(), QStringLiteral("ERR2")}));
    EXPECT_EQ(tabs[0].strErrName, QStringList({QStringLiteral("eins"), QString(), QStringLiteral("zwei")}));
    EXPECT_TRUE(tabs[0].strLevel.isEmpty());

    const strErrInfTab& plus = tabs[2];
    // Text order again: ERR07, ERR12, ERR7, ERRX.
    EXPECT_EQ(plus.strLevel, QStringList({QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("1")}));
    EXPECT_EQ(plus.strErrCount, QStringList({QStringLiteral("ERR07"), QString(), QStringLiteral("ERR7"), QStringLiteral("ERRX")}));
    EXPECT_EQ(plus.strErrName.size(), 4);
    EXPECT_EQ(plus.strErrDeal, QStringList({QStringLiteral("d"), QString(), QStringLiteral("d2"), QString()}));
    EXPECT_EQ(names, (CErrNameMap{{0, QStringLiteral("no digits")}, {7, QStringLiteral("first seven")}}));
}

TEST_F(TextTest, EmptyTablesFailTheLoadAndTheKindComesFromTheSettings)
{
    EXPECT_EQ(m_db.GetLanguageKind(), 2);
    m_db.SetLanguageKind(3);
    EXPECT_EQ(m_db.GetLanguageKind(), 3);

    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAM_ErrInf")));
    strErrInfTab tabs[3];
    CErrNameMap names;
    EXPECT_FALSE(m_db.LoadLanguageAndFaultTexts(1, tabs, &names));
    EXPECT_EQ(tabs[0].strErrName, QStringList{QStringLiteral("n1a")});  // the table before it stays loaded
    EXPECT_EQ(m_texts.size(), 60 + 51);

    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan")));
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftInf")));
    EXPECT_EQ(m_db.GetLanguageKind(), 0);
    m_texts.clear();
    EXPECT_FALSE(m_db.LoadLanguageAndFaultTexts(1, tabs, &names));
    EXPECT_TRUE(m_texts.isEmpty());
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(TextTest, ExportedSheetHasTextsSeparatorAndThreeRowsPerFault)
{
    const strLanguageSheet sheet = Exported();
    ASSERT_EQ(sheet.rows.size(), std::size_t(51 + 1 + 2 * 3));
    EXPECT_EQ(sheet.rows[0], (std::array<QString, 4>{"0", "A0", "B0", "C0"}));
    EXPECT_EQ(sheet.rows[50], (std::array<QString, 4>{"232", "Jian", "English", "Fan"}));
    EXPECT_EQ(sheet.rows[51], (std::array<QString, 4>{}));
    EXPECT_EQ(sheet.rows[52], (std::array<QString, 4>{"ERR12_3", "door", "Door", "DOOR"}));
    EXPECT_EQ(sheet.rows[53], (std::array<QString, 4>{"ERR12_3", "jammed", "Jammed", "JAMMED"}));
    EXPECT_EQ(sheet.rows[54], (std::array<QString, 4>{"ERR12_3", "free it", "Free it", "FREE IT"}));
    EXPECT_EQ(sheet.rows[55][0], QStringLiteral("ERR3_1"));
    EXPECT_EQ(sheet.rows[55][1], QStringLiteral("over'speed"));

    QStringList names;
    m_db.LoadLanguageNames(&names);
    EXPECT_EQ(names, QStringList({QStringLiteral("Jian"), QStringLiteral("English"), QStringLiteral("Fan")}));
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan WHERE nSign = 232")));
    names.clear();
    m_db.LoadLanguageNames(&names);
    EXPECT_TRUE(names.isEmpty());
}

TEST_F(TextTest, ExportThenImportLeavesBothTablesUnchanged)
{
    StationShaped();
    // Texts that would break pasted SQL: quotes, tabs, line feeds, other scripts.
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_SoftLan SET Lan1 = 'it''s', Lan3 = '電梯' || char(10) || 'x' WHERE nSign = 7")));
    ASSERT_TRUE(Exec(QStringLiteral("UPDATE KALOR_VELAMPlus_ErrInf SET ErrDeal2 = 'a''); DROP TABLE KALOR_UserInf; --'"
                                    " WHERE ErrCount = 'ERR12'")));
    const QStringList before = Dump();
    ASSERT_FALSE(before.isEmpty());
    strLanguageSheet sheet = Exported();
    AddEnd(sheet);
    ASSERT_TRUE(m_db.ImportLanguageTable(sheet));
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(TableExists(QStringLiteral("KALOR_UserInf")));
    EXPECT_EQ(m_boxes.count(), 0);
}

TEST_F(TextTest, ImportSplitsKeysAtTheUnderscoreAndStopsAtEnd)
{
    StationShaped();
    strLanguageSheet sheet = Exported();
    sheet.rows.resize(kUiTextsUsed + 1);
    for (const char* key : {"12_3", "13_0"}) {
        for (const char* part : {"n", "c", "d"})
            sheet.rows.push_back({QLatin1String(key), QLatin1String(part) + QLatin1Char('1'), QLatin1String(part) + QLatin1Char('2'),
                                  QLatin1String(part) + QLatin1Char('3')});
    }
    AddEnd(sheet);
    sheet.rows.push_back({"99_9", "never", "read", "."});
    ASSERT_TRUE(m_db.ImportLanguageTable(sheet));
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount || '/' || ErrLevel AS k FROM KALOR_VELAMPlus_ErrInf ORDER BY rowid"),
                     QStringLiteral("k")),
              QStringList({QStringLiteral("12/3"), QStringLiteral("13/0")}));
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrName1 || ErrCause2 || ErrDeal3 AS t FROM KALOR_VELAMPlus_ErrInf ORDER BY rowid"),
                     QStringLiteral("t")),
              QStringList({QStringLiteral("n1c2d3"), QStringLiteral("n1c2d3")}));
    EXPECT_EQ(Count(QStringLiteral("KALOR_SoftLan")), kUiTextsUsed);
}

TEST_F(TextTest, FailingImportLeavesBothTablesAsTheyWere)
{
    StationShaped();
    const QStringList before = Dump();
    const strLanguageSheet good = [this] {
        strLanguageSheet s = Exported();
        AddEnd(s);
        return s;
    }();

    struct Case {
        const char* what;
        std::function<void(strLanguageSheet&)> spoil;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"too few texts", [](strLanguageSheet& s) { s.rows.resize(100); }, "row 102, column A: the sign 100 is expected"},
        {"no end", [](strLanguageSheet& s) { s.rows.pop_back(); }, "\"End\" is expected"},
        {"cut inside a fault", [](strLanguageSheet& s) { s.rows.resize(s.rows.size() - 2); }, "three rows"},
        {"sign not a number", [](strLanguageSheet& s) { s.rows[3][0] = QStringLiteral("three"); }, "sign 3 is expected"},
        {"empty sheet", [](strLanguageSheet& s) { s.rows.clear(); }, "row 2, column A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        strLanguageSheet sheet = good;
        c.spoil(sheet);
        m_boxes.clear();
        EXPECT_FALSE(m_db.ImportLanguageTable(sheet));
        ASSERT_EQ(m_boxes.count(), 1);
        EXPECT_TRUE(m_boxes.texts()[0].contains(QLatin1String(c.message))) << m_boxes.texts()[0].toStdString();
        EXPECT_EQ(Dump(), before);
    }

    // A sound sheet whose insert the engine refuses halfway: the UI texts were
    // already replaced inside the transaction and come back too.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON KALOR_VELAMPlus_ErrInf"
                                    " WHEN NEW.ErrCount = 'ERR3' BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    strLanguageSheet changed = good;
    changed.rows[0][1] = QStringLiteral("changed");
    m_boxes.clear();
    EXPECT_FALSE(m_db.ImportLanguageTable(changed));
    ASSERT_EQ(m_boxes.count(), 3);  // the wrapper's two, then the import's own
    EXPECT_EQ(m_boxes.texts()[2], QStringLiteral("Insert the ErrInfo record to the data base failure"));
    EXPECT_EQ(Dump(), before);

    // The same for the UI text part.
    ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER refuse2 BEFORE INSERT ON KALOR_SoftLan"
                                    " WHEN NEW.nSign = 40 BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    m_boxes.clear();
    EXPECT_FALSE(m_db.ImportLanguageTable(changed));
    ASSERT_EQ(m_boxes.count(), 3);
    EXPECT_EQ(m_boxes.texts()[2], QStringLiteral("Insert the SoftLan record to the data base failure"));
    EXPECT_EQ(Dump(), before);
}
