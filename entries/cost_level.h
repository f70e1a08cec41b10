#pragma once

namespace entries {

// Which price point of an item's cost list a new entry starts from.
enum class CostLevel { Low, Medium, High };

} // namespace entries
