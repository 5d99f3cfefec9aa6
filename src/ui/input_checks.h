// Conversions and checks of the operator's input.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

// Leading decimal digits after optional blanks and sign; 0 when there are
// none; saturates instead of overflowing.
int64_t LeadingNumber(std::string_view text);

// Optional blanks and sign, then leading decimal digits; 0 when there are
// none; clamped to the 32-bit range.
int32_t AtoiLike(const QString& text);

// Four decimal numbers 0 to 255 separated by dots, not the broadcast address
// 255.255.255.255 (which is also the error value of the classic converter).
bool IsUsableAddress(const QString& text);

// True when the text's bytes fit a 32-byte request field with its terminator.
bool FitsTextField(const QString& text);

// False when the text holds a control character (C0 or DEL), which the
// camera SDK refuses in a user name or password.
bool IsCredentialText(const QString& text);
