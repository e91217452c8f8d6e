#pragma once
// The windows name Windows font families ("宋体", "Arial", "Microsoft Sans
// Serif", ...). The program ships a fontconfig file that maps them to the
// installed CJK and Liberation fonts; fontconfig reads its configuration once,
// so SetupFonts() must run before the QApplication is made.
#include <QString>

// Path of the shipped fontconfig file: fonts/fonts.conf beside the executable.
QString ShippedFontConfigPath();

// Points FONTCONFIG_FILE at the shipped file (when it is there) and registers
// the same mapping as Qt font substitutions, which also hold when fontconfig
// was already initialised or the file is missing.
void SetupFonts();
