#pragma once
#include <string>

// Bold red or bold green messages on standard output; no line end is added.
class CColorCout {
public:
    static void CoutRedMessage(std::string message);
    static void CoutGreenMessage(std::string message);
};
