#include "plugins/kestrin/AutoStrings.h"

#include <cstring>
#include <string>

namespace {

size_t BoundedLength(const char* text, size_t maxLength) {
    size_t n = 0;
    while ((maxLength == 0 || n < maxLength) && text[n] != '\0') ++n;
    return n;
}

void CopyBounded(char* out, size_t outSize, const char* from, size_t length) {
    size_t n = length < outSize - 1 ? length : outSize - 1;
    std::memmove(out, from, n);
    out[n] = '\0';
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

int SplitInTwo(const char* text, char* first, size_t firstSize, char* rest, size_t restSize, const char* separator,
               size_t maxLength) {
    if (text == nullptr || text[0] == '\0' || first == nullptr || rest == nullptr || firstSize == 0 || restSize == 0) {
        return kSplitBadArgument;
    }
    // Work on a copy: first and rest may overlap the text.
    std::string whole(text, BoundedLength(text, maxLength));
    size_t at = std::string::npos;
    if (separator != nullptr && separator[0] != '\0') at = whole.find(separator);
    if (at == std::string::npos) {
        CopyBounded(first, firstSize, whole.data(), whole.size());
        rest[0] = '\0';
    } else {
        size_t after = at + std::strlen(separator);
        CopyBounded(first, firstSize, whole.data(), at);
        CopyBounded(rest, restSize, whole.data() + after, whole.size() - after);
    }
    return 0;
}

int TrimString(char* text, size_t maxLength) {
    if (text == nullptr || text[0] == '\0') return 0;
    size_t length = BoundedLength(text, maxLength);
    size_t begin = 0;
    while (begin < length && IsBlank(text[begin])) ++begin;
    size_t end = length;
    while (end > begin && IsBlank(text[end - 1])) --end;
    std::memmove(text, text + begin, end - begin);
    text[end - begin] = '\0';
    return int(begin + (length - end));
}

bool SameTextIgnoringCase(const char* a, const char* b, size_t length) {
    if (a == nullptr || b == nullptr) return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}
