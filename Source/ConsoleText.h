#pragma once
#include <string>

// Text from a modem or the network, made safe to print on the operator's terminal: an ESC, a C1
// control such as CSI (U+009B) or a stray 8-bit byte would reach it as a control sequence. Each
// such character or byte shows as '?'.

// Message texts: tabs and line ends stay; a CR not followed by LF shows as a line end.
std::string ConsoleText(const std::string& text);
// Table fields, trace lines and failure reasons: one line, so tabs and line ends show as '?' too,
// but for the line end that closes the text, which is dropped.
std::string ConsoleLine(const std::string& text);
