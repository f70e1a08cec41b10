#pragma once

#include <QString>
#include <cstdint>

namespace store {

// A currency value as the databases keep it: a whole number of ten-thousandths.
struct Currency {
    std::int64_t units = 0; // value * 10000

    static Currency fromDouble(double value);
    double toDouble() const { return static_cast<double>(units) / 10000.0; }
    // Plain decimal, full stop, no trailing zeros: 12.5000 -> "12.5", 12 -> "12".
    QString toSqlText() const;
    friend bool operator==(Currency a, Currency b) { return a.units == b.units; }
    friend Currency operator+(Currency a, Currency b) { return {a.units + b.units}; }
};

// A real number as it goes into SQL text: plain decimal with a full stop, no thousands separator,
// at most 15 significant digits, no trailing zeros, never an exponent.
QString MoneyToSql(double value);

} // namespace store
