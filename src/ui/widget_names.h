#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <string_view>

namespace kdx::ui {

// Gives a control its name as objectName and accessibleDescription, so tests
// and accessibility tools find it; buttons keep their captions as accessible
// names.
template <class W>
W* Named(W* widget, const QString& name) {
  widget->setObjectName(name);
  widget->setAccessibleDescription(name);
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setAccessibleName(button->text());
  }
  return widget;
}

// Name of one element of a control array: "FRAMEOTHER(7)".
inline QString ArrayName(const QString& name, int index) {
  return QStringLiteral("%1(%2)").arg(name).arg(index);
}

// The program's own texts (UTF-8, like the curly quotes of one error text).
inline QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts that came from the device: one byte, one character.
inline QString FromDevice(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline void SetControlName(QWidget& widget, std::string_view name) {
  Named(&widget, FromDevice(name));
}

}  // namespace kdx::ui
