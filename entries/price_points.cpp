#include "entries/price_points.h"

#include "entries/number_parsing.h"

#include <cmath>

namespace entries {

QString PricePointText(store::Currency price) {
    QString text = QStringLiteral("$") + price.toSqlText();
    if (!text.contains(QLatin1Char('.'))) text += QStringLiteral(".00");
    if (text.at(text.size() - 2) == QLatin1Char('.')) text += QLatin1Char('0');
    return text;
}

QString CostBoxText(double value) {
    QString text = QStringLiteral("$") + store::MoneyToSql(value);
    if (text.size() >= 2 && text.at(text.size() - 2) == QLatin1Char('.')) text += QLatin1Char('0');
    // A value with more than two decimals keeps them rather than getting a second fraction,
    // which would make the box unreadable as a cost.
    if (!text.contains(QLatin1Char('.'))) text += QStringLiteral(".00");
    return text;
}

double PickPricePoint(const QStringList& lines, CostLevel level) {
    if (lines.isEmpty()) return 0;
    qsizetype pick = 0;
    if (level == CostLevel::High)
        pick = lines.size() - 1;
    else if (level == CostLevel::Medium && lines.size() >= 3)
        pick = 1;
    QString line = lines.at(pick);
    if (line.startsWith(QLatin1Char('$'))) line[0] = QLatin1Char(' ');
    double value = 0;
    if (!ParseReal(line, value)) return 0;
    return value;
}

bool ParseCostText(QString text, double& cost) {
    text.replace(QLatin1Char('$'), QLatin1Char(' '));
    return ParseReal(text, cost);
}

double CutToCents(double cost) {
    double cents = cost * 100;
    const double nearest = std::round(cents);
    if (std::abs(cents - nearest) < 1e-6) cents = nearest;
    return std::trunc(cents) / 100;
}

} // namespace entries
