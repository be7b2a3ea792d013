// The JSON value type by name only, for headers that pass values around without coding them; the
// parser and the coding helpers are in base/Json.h, which implementation files include.

#pragma once

#include <nlohmann/json_fwd.hpp>

namespace qb {

using Json = nlohmann::json;

}  // namespace qb
