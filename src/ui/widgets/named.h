#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>
#include <string_view>

#include "ui/widgets/texts.h"

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

template <class W>
W* Named(W* widget, std::string_view name) {
  return Named(widget, FromDevice(name));
}

template <class W>
W* Named(W* widget, const char* name) {
  return Named(widget, QString::fromLatin1(name));
}

// Name of one element of a control array: "FRAMEOTHER(7)".
inline QString ArrayName(const QString& name, int index) {
  return QStringLiteral("%1(%2)").arg(name).arg(index);
}

inline void SetControlName(QWidget& widget, std::string_view name) {
  Named(&widget, name);
}

}  // namespace kdx::ui
