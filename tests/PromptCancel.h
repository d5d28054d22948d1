#pragma once
#include <string>

// NUL ESC CR: what the tool writes each time it opens a port, before its first command.
const std::string kPromptCancel("\x00\x1B\r", 3);
