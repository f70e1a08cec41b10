#include "store/money.h"

#include <cmath>

namespace store {

Currency Currency::fromDouble(double value) {
    return {static_cast<std::int64_t>(std::llround(value * 10000.0))};
}

QString Currency::toSqlText() const {
    const bool negative = units < 0;
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(units + 1)) + 1 : static_cast<std::uint64_t>(units);
    QString text = QString::number(magnitude / 10000);
    std::uint64_t frac = magnitude % 10000;
    if (frac != 0) {
        QString digits = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString MoneyToSql(double value) {
    if (!std::isfinite(value) || value == 0.0) return QStringLiteral("0");
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    // 15 significant digits: as many decimals as are left after the whole part.
    const int decimals = std::max(0, 14 - magnitude);
    QString text = QString::number(value, 'f', std::min(decimals, 340));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

} // namespace store
