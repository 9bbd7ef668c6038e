// Fixed-size NUL-terminated texts.
#pragma once
#include <stddef.h>

// Copies src into dst (size bytes), truncating; dst is always terminated.
void CopyText(char* dst, size_t size, const char* src);

// Appends src to the text in dst (size bytes), truncating; always terminated.
void AppendText(char* dst, size_t size, const char* src);

// Terminates a field read from a file or the registry at its last byte,
// so that a text without its NUL never runs past the field.
void TerminateField(char* field, size_t size);

// Appends the decimal form of value to dst (size bytes), truncating.
void AppendDecimal(char* dst, size_t size, long value);
