#pragma once
#include <string>

#include <json/json.h>

// The answers' JSON text: the styled form (three-blank indentation, one member per line) and
// the one-line form, each ending in a line end. Text values are written as UTF-8 bytes; only
// the double quote, the backslash and control characters are escaped.
std::string StyledJsonText(const Json::Value& value);
std::string OneLineJsonText(const Json::Value& value);
