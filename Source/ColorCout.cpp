#include "ColorCout.h"

#include <iostream>

void CColorCout::CoutRedMessage(std::string message)
{
    std::cout << "\x1b[1m\x1b[31m" << message << "\x1b[0m";
    std::cout.clear();
}

void CColorCout::CoutGreenMessage(std::string message)
{
    std::cout << "\x1b[1m\x1b[32m" << message << "\x1b[0m";
    std::cout.clear();
}
