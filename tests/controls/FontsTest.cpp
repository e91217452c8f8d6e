#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTextLayout>
#include <optional>
#include <gtest/gtest.h>


namespace {

const QString kCjk = QStringLiteral("WenQuanYi Zen Hei");
const QString kSong = QStringLiteral("宋体");
const QString kHei = QStringLiteral("黑体");
const QStringList kSansFaces = {QStringLiteral("Arial"), QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Tahoma")};

// Removes the Qt substitutions for a while, so that only fontconfig and the
// shipped file decide.
struct WithoutSubstitutions {
    QStringList families;
    QList<QStringList> saved;
    explicit WithoutSubstitutions(const QStringList& f) : families(f)
    {
        for (const QString& family : families) {
            saved << QFont::substitutes(family);
            QFont::removeSubstitutions(family);
        }
    }
    ~WithoutSubstitutions()
    {
        for (qsizetype i = 0; i < families.size(); ++i)
            QFont::insertSubstitutions(families[i], saved[i]);
    }
};

// Families that actually draw the glyphs of a text, and whether any glyph is
// the missing-glyph box (glyph 0).
std::pair<QStringList, bool> Shape(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    std::pair<QStringList, bool> shaped{{}, false};
    for (const QGlyphRun& run : layout.glyphRuns()) {
        shaped.first << run.rawFont().familyName();
        shaped.second = shaped.second || run.glyphIndexes().contains(0);
    }
    return shaped;
}

} // namespace

TEST(Fonts, StationFamiliesResolveToChineseAndLiberationFaces)
{
    for (bool bare : {false, true}) {
        std::optional<WithoutSubstitutions> without;
        if (bare)
            without.emplace(QStringList{kSong, kHei, QStringLiteral("Times New Roman")} + kSansFaces);
        const int size = bare ? 17 : 11;
        for (const QString& family : {kSong, kHei}) {
            EXPECT_EQ(QFontInfo(QFont(family, size)).family(), kCjk) << family.toStdString() << bare;
            EXPECT_TRUE(QFontMetrics(QFont(family, size)).inFont(QChar(0x5B8B)));  // 宋
        }
        for (const QString& family : kSansFaces)
            EXPECT_EQ(QFontInfo(QFont(family, size)).family(), QStringLiteral("Liberation Sans")) << family.toStdString();
        EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Times New Roman"), size)).family(), QStringLiteral("Liberation Serif"));
    }
}

TEST(Fonts, ChineseTextInAnyFaceOfTheStationHasNoMissingGlyphs)
{
    const QString text = QStringLiteral("请输入组名! 初始化数据库失败 COM1 9600");
    for (const QFont& font : {QApplication::font(), QFont(kSong, 9), QFont(QStringLiteral("Arial"), 10),
                              QFont(QStringLiteral("Microsoft Sans Serif"), 10),
                              QFont(QStringLiteral("Times New Roman"), 10)}) {
        const auto [families, anyMissing] = Shape(text, font);
        EXPECT_FALSE(anyMissing) << font.family().toStdString();
        EXPECT_TRUE(families.contains(kCjk, Qt::CaseInsensitive)) << font.family().toStdString();
    }
}
