#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

// Small builders shared by the named-inventory dialogs, which place their controls by pixel.
namespace inventories::parts {

inline QPushButton* Button(QWidget* parent, const char* name, const QString& caption, int x, int y,
                           int width = 75) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, y, width, 25);
    b->setAutoDefault(false);
    return b;
}

inline QLabel* Label(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
    return l;
}

// A question that must be answered: no close button in the title bar.
inline void QuestionFrame(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
}

} // namespace inventories::parts
