// Conversions and checks of the operator's input.
#pragma once

#include <QString>
#include <cstdint>

// Optional blanks and sign, then leading decimal digits; 0 when there are
// none; clamped to the 32-bit range.
int32_t AtoiLike(const QString& text);

// A dotted IPv4 address as every part of the project reads it, but not the
// broadcast address 255.255.255.255 (which is also the error value of the
// classic converter).
bool IsUsableAddress(const QString& text);

// True when the text's bytes fit a 32-byte request field with its terminator.
bool FitsTextField(const QString& text);

// False when the text holds a control character (C0 or DEL), which the
// camera SDK refuses in a user name or password.
bool IsCredentialText(const QString& text);
