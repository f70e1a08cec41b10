#include "ui/windows.h"

namespace ui {

Windows& Win() {
    static Windows windows;
    return windows;
}

} // namespace ui
