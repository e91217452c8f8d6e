#include "platform/ColorPrompt.h"

#include <QColorDialog>

namespace {
ColorPromptHook g_colorHook;
} // namespace

std::optional<COLORREF> ChooseColorPrompt(COLORREF crInitial, QWidget* parent)
{
    if (g_colorHook)
        return g_colorHook(crInitial);
    const QColor chosen = QColorDialog::getColor(FromColorRef(crInitial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return ToColorRef(chosen);
}

ColorPromptHook SetColorPromptHook(ColorPromptHook hook)
{
    ColorPromptHook previous = std::move(g_colorHook);
    g_colorHook = std::move(hook);
    return previous;
}
