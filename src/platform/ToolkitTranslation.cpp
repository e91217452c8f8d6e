#include "platform/ToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/FixedText.h"

CToolkitTranslation::CToolkitTranslation() = default;

CToolkitTranslation::~CToolkitTranslation()
{
    if (m_pTranslator)
        QCoreApplication::removeTranslator(m_pTranslator.get());
}

QString CToolkitTranslation::LocaleOf(int nLanguageKind)
{
    return FixedText{QStringLiteral("zh_CN"), QStringLiteral("en"), QStringLiteral("zh_TW")}.In(nLanguageKind);
}

bool CToolkitTranslation::Apply(int nLanguageKind)
{
    auto translator = std::make_unique<QTranslator>();
    const bool loaded = translator->load(QStringLiteral("qtbase_") + LocaleOf(nLanguageKind),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (m_pTranslator)
        QCoreApplication::removeTranslator(m_pTranslator.get());
    m_pTranslator.reset();
    if (!loaded)
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_pTranslator = std::move(translator);
    return true;
}
