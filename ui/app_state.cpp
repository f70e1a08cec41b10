#include "ui/app_state.h"

#include <QDateTime>

namespace app {

ChangeStamp ChangeStamp::now() {
    const QDateTime t = QDateTime::currentDateTime();
    ChangeStamp s;
    s.minute = t.time().minute();
    s.hour = t.time().hour();
    s.day = t.date().day();
    s.month = t.date().month();
    s.year = t.date().year();
    s.weekday = t.date().dayOfWeek() % 7; // Qt: Monday 1 .. Sunday 7
    return s;
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
