#include "ui/app_state.h"

#include <QDateTime>

namespace app {

ChangeStamp ChangeStamp::now() {
    return fromDateTime(QDateTime::currentDateTime());
}

ChangeStamp ChangeStamp::fromDateTime(const QDateTime& localTime) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    // Qt counts weekdays Monday 1 .. Sunday 7.
    return {t.minute(), t.hour(), d.day(), d.month(), d.year(), d.dayOfWeek() % 7};
}

void AppState::resetRunState() {
    IDCounter = 0;
    CurrentCategoryNumber = 0;
    CurrentItemNumber = 0;
    EntryCount = 0;
    CountValid = false;
    EntryCost = 0;
    CostValid = false;
    InventoryModified = false;
    SettingsChanged = false;
    DialogCancelled = false;
    SortKeys = {1, 0, 0, 0, 0, 0};
    Cost.set(CostLevel::Low);
    WeekdayNames = {QStringLiteral("Sunday, "),   QStringLiteral("Monday, "),
                    QStringLiteral("Tuesday, "),  QStringLiteral("Wednesday, "),
                    QStringLiteral("Thursday, "), QStringLiteral("Friday, "),
                    QStringLiteral("Saturday, ")};
    MonthNames = {
        QStringLiteral("January "), QStringLiteral("February "), QStringLiteral("March "),
        QStringLiteral("April "),   QStringLiteral("May "),      QStringLiteral("June "),
        QStringLiteral("July "),    QStringLiteral("August "),   QStringLiteral("September "),
        QStringLiteral("October "), QStringLiteral("November "), QStringLiteral("December ")};
    Stamp = ChangeStamp::now();
}

AppState& State() {
    static AppState state;
    return state;
}

QString ProgramFolderFrom(const QString& currentDirectory) {
    QString dir = currentDirectory;
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    if (dir.isEmpty() || dir == QLatin1String("/")) return QStringLiteral("/");
    return dir + QLatin1Char('/');
}

} // namespace app
