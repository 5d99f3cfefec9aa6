// Modal message boxes owned by a window. Every box of the tool goes through
// ShowMessageBox, so that tests can answer them without a nested event loop.
#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class MessageButtons { Ok, OkCancel };

// Answers of a box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Shows a modal box without an icon and returns IDOK or IDCANCEL.
int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   MessageButtons buttons = MessageButtons::Ok);

using MessageBoxHook = std::function<int(QWidget* owner, const QString& text,
                                         const QString& caption, MessageButtons buttons)>;

// Replaces the real box (tests); an empty hook restores it.
void SetMessageBoxHook(MessageBoxHook hook);
