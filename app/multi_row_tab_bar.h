#pragma once

#include <QWidget>

class QButtonGroup;
class QTabWidget;

// Tab captions on as many rows as they need, so that all nineteen pages stay reachable at once
// in the fixed-size main window; it drives the page control whose own bar it replaces.
class MultiRowTabBar : public QWidget {
    Q_OBJECT
  public:
    MultiRowTabBar(QTabWidget* pages, int width, QWidget* parent = nullptr);

  private:
    QTabWidget* pages_;
    QButtonGroup* group_;
};
