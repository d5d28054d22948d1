#pragma once
#include <cstring>
#include <string>

// Copies text into a fixed array, cut to fit and always terminated.
template <size_t N> void CopyToField(char (&field)[N], const std::string& text)
{
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = '\0';
}

// The text of a fixed array up to its terminator, never past its end.
template <size_t N> std::string FieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}
