#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <string_view>

namespace kdx::ui {

// A control's name serves both as its object name and as its accessible
// description, so tests and assistive tools find it by the same name; a
// button keeps its caption as its accessible name.
inline void SetControlName(QWidget& widget, std::string_view name) {
  const QString text = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
  widget.setObjectName(text);
  widget.setAccessibleDescription(text);
  if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    button->setAccessibleName(button->text());
  }
}

// The device's texts are single-byte characters.
inline QString FromDevice(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kdx::ui
