#include "ui/windows.h"

namespace ui {

void Windows::add(QWidget* window, int place) {
    qsizetype at = 0;
    while (at < places_.size() && places_[at] < place)
        ++at;
    places_.insert(at, place);
    all.insert(at, window);
}

Windows& Win() {
    static Windows windows;
    return windows;
}

} // namespace ui
