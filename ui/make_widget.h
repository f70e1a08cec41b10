#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>

namespace ui {

// A control made as the windows lay theirs out: owned by its parent, found by its name, placed.
template <typename W, typename... Args>
W* MakeWidget(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

// A control laid out by a layout: owned by its parent and found by its name, with its caption
// when it has one, and named for screen readers by `accessible` or else by its caption without
// the "&" of its access key.
template <typename W>
W* MakeNamed(QWidget* parent, const char* name, const QString& text,
             const QString& accessible = {}) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if constexpr (requires { w->setText(text); }) w->setText(text);
    w->setAccessibleName(accessible.isEmpty() ? QString(text).remove(QLatin1Char('&'))
                                              : accessible);
    return w;
}

} // namespace ui
