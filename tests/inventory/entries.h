// Entries written straight into the working table, for the Inventory page's tests.
#pragma once

#include "ui/app_state.h"
#include "store/stored_text.h"

#include <QString>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace testing_support {

// One entry; `notes` in display form, stored as the program stores it.
inline void AddEntry(int id, const QString& sub, const QString& category, const QString& item,
                     int count, const QString& value, const QString& notes = {}) {
    const auto text = [](const QString& t) {
        return QStringLiteral("'") + store::ToStoredText(t) + QStringLiteral("'");
    };
    app::State().ADOQuery2.execute(
        {QStringLiteral("INSERT INTO Inventory"),
         QStringLiteral("VALUES (") + QString::number(id) + QStringLiteral(", ") + text(sub) +
             QStringLiteral(", 1, ") + text(category) + QStringLiteral(", 1, ") + text(item) +
             QStringLiteral(", 1, ") + QString::number(count) + QStringLiteral(", 1, ") + value +
             QStringLiteral(", ") + text(notes) + QStringLiteral(", '')")});
    if (id > app::State().IDCounter) app::State().IDCounter = id;
}

} // namespace testing_support
