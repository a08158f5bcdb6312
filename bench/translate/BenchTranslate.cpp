// What translating costs a list fill: a 2 000-row schedule list asks for
// about 16 000 words, the same few again and again (weekday names, "Yes"...).
// Writes a language file of K translations, chooses it as the program's
// language, and per round times N look-ups of those common words (half of
// them translated, half missing, which give the key back), then the choice
// of the language itself (the file read again).
//   bench_translate.exe [look-ups, 16000] [translations in the file, 600] [rounds, 3]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TempDir.h"
#include "app/core/CInitLanguage.h"
#include "bench/support/BenchLoopback.h"

namespace {

const wchar_t* const kWords[] = {L"Sunday",   L"Monday", L"Tuesday",      L"Wednesday",
                                 L"Thursday", L"Friday", L"Two Days Ago", L"Saturday",
                                 L"Yes",      L"No",     L"Connect",      L"Not in the file",
                                 L"Offline",  L"Idle",   L"Downloading",  L"Also not in the file"};
const int kWordCount = sizeof kWords / sizeof kWords[0];

// A UTF-16 language file as translators ship them: the list's words among
// K - 8 others (half of kWords are left out, so they fall back to the key).
std::string LanguageFile(int translations) {
    std::wstring text = L"\xFEFF[Info]\r\nLanguage=Bench\r\n[String]\r\n";
    for (int i = 0; i < translations - kWordCount / 2; ++i)
        text += L"Some dialog label " + std::to_wstring(i) + L"=Une \u00E9tiquette " + std::to_wstring(i) + L"\r\n";
    for (int i = 0; i < kWordCount; i += 2) text += std::wstring(kWords[i]) + L"=[" + kWords[i] + L"]\r\n";
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

template <typename Work>
double Timed(Work work) {
    const LARGE_INTEGER start = BenchNow();
    work();
    return 1000.0 * BenchSeconds(start, BenchNow());
}

}  // namespace

int main(int argc, char** argv) {
    const int lookups = argc > 1 ? atoi(argv[1]) : 16000;
    const int translations = argc > 2 ? atoi(argv[2]) : 600;
    const int rounds = argc > 3 ? atoi(argv[3]) : 3;
    TempDir dir;
    const std::wstring path = dir.File(L"Bench.ini");
    if (!WriteWholeFile(path, LanguageFile(translations))) {
        fprintf(stderr, "cannot write the language file\n");
        return 1;
    }
    CInitLanguage* language = GetInitLanguage();
    language->SetLanguageFile(path.c_str());
    if (language->GetString(L"Sunday") != L"[Sunday]") {
        fprintf(stderr, "the language file is not read\n");
        return 1;
    }
    printf("%d look-ups, %d translations in the file\n", lookups, translations);
    for (int round = 0; round < rounds; ++round) {
        size_t characters = 0;
        const double lookupMs = Timed([&] {
            for (int i = 0; i < lookups; ++i) characters += language->GetString(kWords[i % kWordCount]).GetLength();
        });
        const double chooseMs = Timed([&] { language->SetLanguageFile(path.c_str()); });
        printf("round %d: look-ups %8.2f ms (%.2f us each, %zu characters), choosing the language %6.2f ms\n",
               round + 1, lookupMs, 1000.0 * lookupMs / lookups, characters, chooseMs);
    }
    DeleteInitLanguage();
    return 0;
}
