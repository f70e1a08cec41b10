#pragma once

#include <QObject>

namespace entries {

// Which price point of an item's cost list a new entry starts from.
enum class CostLevel { Low, Medium, High };

// The cost level that preselects a new entry's price point. Every choice is announced, even of
// the level already chosen, so that menu items toggled by a click are set right again.
class CostLevelSetting : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    CostLevel level() const { return level_; }
    void set(CostLevel level) {
        level_ = level;
        emit changed(level);
    }

  signals:
    void changed(entries::CostLevel level);

  private:
    CostLevel level_ = CostLevel::Low;
};

} // namespace entries
