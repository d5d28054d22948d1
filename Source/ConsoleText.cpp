#include "ConsoleText.h"

#include "SmsCodec.h"

namespace {

std::string Shown(const std::string& text, bool keepLineLayout)
{
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8CharLength(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        // A CR alone would take the cursor back over what the line already shows: it ends the line.
        if (keepLineLayout && c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            shown += '\n';
            ++i;
            continue;
        }
        const bool layout = c == '\t' || c == '\n' || c == '\r';
        const bool c0 = length == 1 && (c < 0x20 || c == 0x7F) && !(keepLineLayout && layout);
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length == 0 || c0 || c1) {
            shown += '?';
            i += length == 0 ? 1 : length;
            continue;
        }
        shown.append(text, i, length);
        i += length;
    }
    return shown;
}

} // namespace

std::string ConsoleText(const std::string& text) { return Shown(text, true); }

std::string ConsoleLine(const std::string& text)
{
    // A field's trailing line end (the serial number keeps its reply line's CR) only ends it.
    const std::string::size_type end = text.find_last_not_of("\r\n");
    return Shown(text.substr(0, end == std::string::npos ? 0 : end + 1), false);
}
