// The workbook writer under the workbook jobs: texts come back exactly, sheet
// names made from lift names are always valid, and a save that fails leaves
// the file that was there.
#include <QDir>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "ExcelIOTestSupport.h"
#include "analysis/XlsxWriter.h"

namespace {

class XlsxWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // Files in the folder besides the ones named.
    QStringList Leftovers(const QStringList& expected) const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& e : expected)
            names.removeAll(e);
        return names;
    }

    QTemporaryDir m_dir;
};

TEST_F(XlsxWriterTest, TextsComeBackExactly)
{
    const QStringList texts = {QStringLiteral("他说\"好\"，it's 'ok'\r\nline two\nthree\ttab"), QStringLiteral("   "),
                               QStringLiteral("a literal _x0041_ and _x005F_ stay, control \x01\x1f chars, \U0001F600 𠀀"),
                               QString(CXlsxWriter::kMaxTextLength, QLatin1Char('x'))};
    const QString path = m_dir.filePath(QStringLiteral("texts.xlsx"));
    CXlsxWriter book(path);
    const int s = book.AddSheet(QStringLiteral("T"));
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(book.Write(s, i + 1, 2, texts[i])) << book.ErrorString().toStdString();
    ASSERT_TRUE(book.Save()) << book.ErrorString().toStdString();

    const CXlsxReader::Sheet sheet = xltest::ReadBack(path, QStringLiteral("T"));
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(sheet.Text(i + 1, 2), texts[i]) << "row " << i + 1;
    EXPECT_EQ(Leftovers({QStringLiteral("texts.xlsx")}), QStringList());
}

TEST_F(XlsxWriterTest, FailedSaveKeepsTheOldFileAndLeavesNothingBehind)
{
    const QString path = m_dir.filePath(QStringLiteral("keep.xlsx"));
    ASSERT_TRUE(WriteFile(path, "old contents"));
    {
        CXlsxWriter book(path);
        const int s = book.AddSheet(QStringLiteral("S"));
        EXPECT_FALSE(book.Write(s, 2, 1, QString(CXlsxWriter::kMaxTextLength + 1, QLatin1Char('y'))));
        EXPECT_FALSE(book.Write(s, CXlsxWriter::kMaxRows + 1, 1, QStringLiteral("past the last row")));
        EXPECT_FALSE(book.Save());
    }
    EXPECT_EQ(FileBytes(path), QByteArray("old contents"));
    EXPECT_EQ(Leftovers({QStringLiteral("keep.xlsx")}), QStringList());

    // A folder that does not exist, and a folder in place of the file.
    EXPECT_FALSE(CXlsxWriter(m_dir.filePath(QStringLiteral("no/such/folder/x.xlsx"))).Save());
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("adir.xlsx")));
    EXPECT_FALSE(CXlsxWriter(m_dir.filePath(QStringLiteral("adir.xlsx"))).Save());
    EXPECT_TRUE(QFileInfo(m_dir.filePath(QStringLiteral("adir.xlsx"))).isDir());
}

// A saved workbook is an .xlsx file whatever the typed name, replaces a file
// keeping its mode, gets the umask's mode when new, and writes through a link.
TEST_F(XlsxWriterTest, SavedFileEndsXlsxKeepsItsModeAndFollowsLinks)
{
    auto save = [](const QString& path) {
        CXlsxWriter book(path);
        book.Write(book.AddSheet(QStringLiteral("S")), 1, 1, QStringLiteral("new"));
        EXPECT_TRUE(book.Save()) << book.ErrorString().toStdString();
        return book.Path();
    };
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    EXPECT_EQ(save(m_dir.filePath(QStringLiteral("typed.xls"))), m_dir.filePath(QStringLiteral("typed.xlsx")));
    EXPECT_EQ(Leftovers({QStringLiteral("typed.xlsx")}), QStringList());

    const mode_t mask = ::umask(027);
    save(m_dir.filePath(QStringLiteral("fresh.xlsx")));
    ::umask(mask);
    EXPECT_EQ(mode(m_dir.filePath(QStringLiteral("fresh.xlsx"))), 0640);

    const QString kept = m_dir.filePath(QStringLiteral("kept.xlsx"));
    QFile(kept).open(QIODevice::WriteOnly);
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0604), 0);
    save(kept);
    EXPECT_EQ(mode(kept), 0604);

    const QString link = m_dir.filePath(QStringLiteral("link.xlsx"));
    ASSERT_TRUE(QFile::link(kept, link));
    save(link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(xltest::ReadBack(kept, QStringLiteral("S")).Text(1, 1), QStringLiteral("new"));
}

TEST_F(XlsxWriterTest, SheetNamesFromLiftNamesAreAlwaysValid)
{
    using W = CXlsxWriter;
    EXPECT_EQ(W::SafeSheetName(QStringLiteral("RecInf_Err_A/B:C*D?E[F]G\\H"), {}),
              QStringLiteral("RecInf_Err_A_B_C_D_E_F_G_H"));
    EXPECT_EQ(W::SafeSheetName(QString(), {}), QStringLiteral("Sheet"));
    // A pair of surrogates is never split by the cut.
    const QString wide = QStringLiteral("RecInf_Err_") + QString(19, QLatin1Char('x')) + QStringLiteral("\U0001F600");
    EXPECT_EQ(W::SafeSheetName(wide, {}), QStringLiteral("RecInf_Err_") + QString(19, QLatin1Char('x')));

    // Whatever comes out, the workbook takes it, and the reader finds it again.
    const QString longName = QStringLiteral("RecInf_Err_") + QString(40, QChar(u'梯'));
    const QStringList wanted = {QStringLiteral("RecInf_Err_a/b"), QStringLiteral("RecInf_Err_A/B"), longName, longName,
                                QStringLiteral("'quoted'"), QStringLiteral("history"), QStringLiteral("RecInf_Err_\x01")};
    const QString path = m_dir.filePath(QStringLiteral("names.xlsx"));
    CXlsxWriter book(path);
    QStringList names;
    for (const QString& w : wanted) {
        names << W::SafeSheetName(w, names);
        ASSERT_GE(book.AddSheet(names.back()), 0) << book.ErrorString().toStdString();
    }
    ASSERT_TRUE(book.Save()) << book.ErrorString().toStdString();
    EXPECT_EQ(xltest::SheetNames(path), names);
}

} // namespace
