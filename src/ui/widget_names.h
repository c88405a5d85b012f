#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

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

inline QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kdx::ui
