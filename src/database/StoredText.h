#pragma once
// Texts read back from the database for the pages, the help and the exports.
// The station writes names of at most 14 characters and language texts of at
// most kMaxLanguageText; a longer one was put there by other means and is
// taken cut short, so that no stored text can hold up a page or an export.
#include <QString>

#include "database/LanguageSheet.h"
#include "platform/QuoteText.h"

// Lift and group names, fault codes and levels.
constexpr qsizetype kMaxStoredName = 64;

inline QString StoredName(const QString& text)
{
    return CutText(text, kMaxStoredName);
}

// The texts of the language and fault tables.
inline QString StoredText(const QString& text)
{
    return CutText(text, kMaxLanguageText);
}
