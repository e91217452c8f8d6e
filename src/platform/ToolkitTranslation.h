#pragma once
// Qt's own texts (the file dialog's "Look in", "File name", "Cancel", its
// question before replacing a file) in the station's language, from the
// translations of Qt that the distribution ships.
#include <QString>
#include <memory>

class QTranslator;

class CToolkitTranslation {
public:
    CToolkitTranslation();
    ~CToolkitTranslation();  // Qt's texts go back to English
    CToolkitTranslation(const CToolkitTranslation&) = delete;
    CToolkitTranslation& operator=(const CToolkitTranslation&) = delete;

    // Puts Qt's translation for language kind n in force (1 Simplified
    // Chinese, 2 English, 3 Traditional Chinese; another kind reads as the
    // first, as the text table's loader reads it), in place of the one before.
    // False when the translation is not installed: Qt then speaks English.
    bool Apply(int nLanguageKind);
    // The locale name of a language kind: "zh_CN", "en" or "zh_TW".
    static QString LocaleOf(int nLanguageKind);

private:
    std::unique_ptr<QTranslator> m_pTranslator;
};
