#pragma once
#include <string>
#include <vector>

// Complete lines of a text (each keeps a trailing "\r"); the text after the last "\n" is not a line.
std::vector<std::string> SplitStringToArray(std::string text);
// Fields between separators; inner empty fields are kept, an empty last one is dropped.
std::vector<std::string> SplitStringByChar(std::string text, char separator);
std::string StringReplaceChar(std::string text, char from, char to);
// Replaces every occurrence of from, left to right; an empty from leaves the text unchanged.
void StringReplace(std::string& text, const std::string& from, const std::string& to);
// At most one c removed at each end; texts of 2 bytes or fewer are left alone.
std::string TrimChar(std::string text, char c);
// Runs of c removed at both ends (TrimChar at most 101 times).
std::string TrimAllChar(std::string text, char c);
// Local time as "YYYY-MM-DD hh:mm:ss".
std::string GetCurTimeStr();
