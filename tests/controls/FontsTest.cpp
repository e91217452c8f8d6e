#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "platform/FontSetup.h"

namespace {

const QString kCjk = QStringLiteral("WenQuanYi Zen Hei");
const QString kSong = QStringLiteral("宋体");
const QString kHei = QStringLiteral("黑体");
const QStringList kSansFaces = {QStringLiteral("Arial"), QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Tahoma")};

// Removes the Qt substitutions for a while, so that only fontconfig and the
// shipped file decide.
class WithoutSubstitutions {
public:
    explicit WithoutSubstitutions(const QStringList& families) : m_families(families)
    {
        for (const QString& family : m_families) {
            m_saved.append(QFont::substitutes(family));
            QFont::removeSubstitutions(family);
        }
    }
    ~WithoutSubstitutions()
    {
        for (qsizetype i = 0; i < m_families.size(); ++i)
            QFont::insertSubstitutions(m_families[i], m_saved[i]);
    }

private:
    QStringList m_families;
    QList<QStringList> m_saved;
};

// Families that actually draw the glyphs of a text, and whether any glyph is
// the missing-glyph box (glyph 0).
struct Shaped {
    QStringList families;
    bool anyMissing = false;
};

Shaped Shape(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    Shaped shaped;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        shaped.families.append(run.rawFont().familyName());
        for (quint32 glyph : run.glyphIndexes())
            shaped.anyMissing = shaped.anyMissing || glyph == 0;
    }
    return shaped;
}

} // namespace

TEST(Fonts, TheShippedFontconfigFileLiesBesideTheExecutableAndIsInForce)
{
    const QString path = ShippedFontConfigPath();
    EXPECT_EQ(path, QCoreApplication::applicationDirPath() + QStringLiteral("/fonts/fonts.conf"));
    QFile shipped(path);
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly)) << path.toStdString();
    QFile source(QStringLiteral(LIFT_SOURCE_DIR "/res/fonts/fonts.conf"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    EXPECT_EQ(shipped.readAll(), source.readAll());
    EXPECT_EQ(qEnvironmentVariable("FONTCONFIG_FILE"), path);
}

TEST(Fonts, ChineseFamiliesResolveToAFontWithChineseGlyphs)
{
    for (const QString& family : {kSong, kHei}) {
        const QFont font(family, 11);
        EXPECT_EQ(QFontInfo(font).family(), kCjk) << family.toStdString();
        const QFontMetrics fm(font);
        for (QChar ch : QStringLiteral("宋体初始化数据库失败电梯"))
            EXPECT_TRUE(fm.inFont(ch)) << family.toStdString();
    }
}

TEST(Fonts, WindowsLatinFamiliesResolveToTheirLiberationTwins)
{
    for (const QString& family : kSansFaces)
        EXPECT_EQ(QFontInfo(QFont(family, 10)).family(), QStringLiteral("Liberation Sans")) << family.toStdString();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Times New Roman"), 10)).family(), QStringLiteral("Liberation Serif"));
}

TEST(Fonts, TheFontconfigFileAloneMapsTheFamilies)
{
    WithoutSubstitutions bare(QStringList{kSong, kHei, QStringLiteral("Times New Roman")} + kSansFaces);
    // Sizes no other test asks for, so that nothing cached answers.
    for (const QString& family : {kSong, kHei}) {
        const QFont font(family, 17);
        EXPECT_EQ(QFontInfo(font).family(), kCjk) << family.toStdString();
        EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x5B8B)));  // 宋
    }
    for (const QString& family : kSansFaces)
        EXPECT_EQ(QFontInfo(QFont(family, 17)).family(), QStringLiteral("Liberation Sans")) << family.toStdString();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Times New Roman"), 17)).family(), QStringLiteral("Liberation Serif"));
}

TEST(Fonts, ChineseTextInAnyFaceOfTheStationHasNoMissingGlyphs)
{
    const QString text = QStringLiteral("请输入组名! 初始化数据库失败 COM1 9600");
    for (const QFont& font : {QApplication::font(), QFont(kSong, 9), QFont(QStringLiteral("Arial"), 10),
                              QFont(QStringLiteral("Microsoft Sans Serif"), 10),
                              QFont(QStringLiteral("Times New Roman"), 10)}) {
        const Shaped shaped = Shape(text, font);
        EXPECT_FALSE(shaped.anyMissing) << font.family().toStdString();
        EXPECT_TRUE(shaped.families.contains(kCjk, Qt::CaseInsensitive))
            << font.family().toStdString() << ": " << shaped.families.join(QLatin1Char(',')).toStdString();
    }
}
