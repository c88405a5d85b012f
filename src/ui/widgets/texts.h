#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kdx::ui {

// The program's own texts (UTF-8, like the curly quotes of one error text).
inline QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts of the device and of single-byte fields: one byte, one character.
inline QString FromDevice(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToDevice(const QString& text) {
  return text.toLatin1().toStdString();
}

}  // namespace kdx::ui
