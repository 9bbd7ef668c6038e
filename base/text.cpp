#include "base/text.h"

#include <string.h>

void CopyText(char* dst, size_t size, const char* src)
{
    if (size == 0)
        return;
    dst[0] = '\0';
    AppendText(dst, size, src);
}

void AppendText(char* dst, size_t size, const char* src)
{
    if (size == 0)
        return;
    size_t used = strnlen(dst, size - 1);
    size_t room = size - 1 - used;
    size_t len = strnlen(src, room);
    memcpy(dst + used, src, len);
    dst[used + len] = '\0';
}

void TerminateField(char* field, size_t size)
{
    if (size > 0)
        field[size - 1] = '\0';
}

void AppendDecimal(char* dst, size_t size, long value)
{
    char digits[24];
    char* p = digits + sizeof digits;
    *--p = '\0';
    // Work on the negative magnitude so that LONG_MIN needs no special case.
    long v = value < 0 ? value : -value;
    do {
        *--p = static_cast<char>('0' - v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0)
        *--p = '-';
    AppendText(dst, size, p);
}
