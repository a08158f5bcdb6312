// Splitting and trimming of "&&" lists with arbitrary text, separators and
// output sizes.
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "plugins/kestrin/AutoStrings.h"
#include "plugins/kestrin/CStrTokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    size_t firstSize = in.Byte() % 16;
    size_t restSize = in.Byte() % 16;
    size_t maxLength = in.Byte() % 8;
    std::vector<uint8_t> separatorBytes = in.Bytes(in.Byte() % 4);
    std::string separator(separatorBytes.begin(), separatorBytes.end());
    separator = separator.substr(0, separator.find('\0'));
    std::vector<uint8_t> bytes = in.Rest();
    std::string text(bytes.begin(), bytes.end());
    text = text.substr(0, text.find('\0'));

    std::vector<char> first(firstSize), rest(restSize);
    if (SplitInTwo(text.c_str(), first.data(), first.size(), rest.data(), rest.size(), separator.c_str(), maxLength) ==
        0) {
        FUZZ_CHECK(std::memchr(first.data(), 0, first.size()) != nullptr);
        FUZZ_CHECK(std::memchr(rest.data(), 0, rest.size()) != nullptr);
    }

    std::vector<char> trimmed(text.begin(), text.end());
    trimmed.push_back('\0');
    int removed = TrimString(trimmed.data(), maxLength);
    FUZZ_CHECK(removed >= 0 && size_t(removed) <= text.size());

    for (const char* sep : {"&&", ":", separator.c_str()}) {
        CStrTokenizer tokenizer(text.c_str(), sep);
        FUZZ_CHECK(tokenizer.Count() <= text.size() + 1);
        size_t total = 0;
        for (size_t i = 0; i < tokenizer.Count(); ++i) total += std::strlen(tokenizer.Item(i));
        FUZZ_CHECK(total <= text.size());
    }
    return 0;
}
