#pragma once
#include "SimRules.h"

#include <string>
#include <vector>

namespace sim {

// Appends the rules of a module type, its own first, then those of the generic module every
// type builds on; false for an unknown type name.
bool RulesForType(const std::string& type, std::vector<SimRule>& rules, std::string& error);
std::vector<std::string> ModuleTypeNames();

} // namespace sim
