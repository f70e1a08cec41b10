#include "app/multi_row_tab_bar.h"

#include <QButtonGroup>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

MultiRowTabBar::MultiRowTabBar(QTabWidget* pages, int width, QWidget* parent)
    : QWidget(parent), pages_(pages), group_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("tabMainBar"));
    pages->tabBar()->hide();
    group_->setExclusive(true);
    const int rowHeight = 22;
    int x = 0, y = 0;
    for (int i = 0; i < pages->count(); ++i) {
        auto* b = new QToolButton(this);
        b->setText(pages->tabText(i));
        b->setAccessibleName(pages->tabText(i));
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setFont(pages->font());
        b->adjustSize();
        const int w = b->sizeHint().width() + 8;
        if (x + w > width && x > 0) {
            x = 0;
            y += rowHeight;
        }
        b->setGeometry(x, y, w, rowHeight);
        x += w;
        group_->addButton(b, i);
    }
    setFixedSize(width, y + rowHeight);
    connect(group_, &QButtonGroup::idClicked, pages, &QTabWidget::setCurrentIndex);
    connect(pages, &QTabWidget::currentChanged, this, [this](int i) {
        if (auto* b = group_->button(i)) b->setChecked(true);
    });
    if (auto* b = group_->button(pages->currentIndex())) b->setChecked(true);
}
