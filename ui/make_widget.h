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

} // namespace ui
