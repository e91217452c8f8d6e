#pragma once
// The colour dialog goes through one replaceable hook, like the message boxes,
// so that tests answer it instead of blocking on a modal dialog.
#include <functional>
#include <optional>

#include "platform/ColorRef.h"

class QWidget;

// Answers a prompt with the chosen colour, or nothing when it was cancelled.
using ColorPromptHook = std::function<std::optional<COLORREF>(COLORREF crInitial)>;

// Runs the colour dialog (user-interface thread only).
std::optional<COLORREF> ChooseColorPrompt(COLORREF crInitial, QWidget* parent = nullptr);

// Installs a hook; returns the previous one. An empty hook restores the real dialog.
ColorPromptHook SetColorPromptHook(ColorPromptHook hook);
