#pragma once

#include "entries/cost_level.h"
#include "store/money.h"

#include <QString>
#include <QStringList>

namespace entries {

// A line of a cost list: "$12.00", "$12.50"; further decimals are kept as stored.
QString PricePointText(store::Currency price);

// The preselected cost as the cost box shows it: "$0.00", "$7.00", "$7.50".
QString CostBoxText(double value);

// The price point the cost level picks from a cost list (cheapest first): Low the first, High
// the last, Medium the second of three or more, else the first. 0 for an empty or unreadable list.
double PickPricePoint(const QStringList& lines, CostLevel level);

// A cost typed in a box: every "$" read as a blank. False when the text is no number.
bool ParseCostText(QString text, double& cost);

// The cost cut to whole cents toward zero. A value that is a whole number of cents but falls
// just short of it in binary (0.29 * 100 = 28.999...) keeps its cents.
double CutToCents(double cost);

} // namespace entries
