// The window's ways of making its labels and buttons at their places in the
// client area (logical pixels at the window's natural size).
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace vode {

constexpr int LabelHeight = 16;

inline QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QRect geometry,
                         Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  label->setAlignment(alignment);
  return label;
}

// A label whose right edge stays at x, as labels right-aligned beside a pane.
inline QLabel* makeRightLabel(QWidget* parent, const QString& name, const QString& text, int rightEdge, int top,
                              int width = 40) {
  return makeLabel(parent, name, text, QRect(rightEdge - width, top, width, LabelHeight),
                   Qt::AlignRight | Qt::AlignVCenter);
}

inline QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry,
                               const QString& hint = {}) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace vode
