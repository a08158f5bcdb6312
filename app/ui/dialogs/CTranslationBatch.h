// CTranslationBatch: while one lives on a thread, Translate answers each key
// asked again from the first answer. Filling a list of thousands of rows asks
// for the same few words (weekday names, "Yes", "Connect"...) thousands of
// times, and every answer otherwise looks at the language file on disk to see
// whether it changed: seconds for a schedule list of 2 000 rows. A batch
// lasts one fill, so a language file changed between fills is still seen.
// Batches may nest; the outermost one's answers serve them all.
#pragma once

#include <afxwin.h>

class CTranslationBatch {
public:
    CTranslationBatch();
    ~CTranslationBatch();
    CTranslationBatch(const CTranslationBatch&) = delete;
    CTranslationBatch& operator=(const CTranslationBatch&) = delete;

    // The answer given before in this thread's batch; false without a batch
    // or when the key was not asked for yet.
    static bool Recall(const CString& key, CString* text);
    // Keeps an answer for the rest of the thread's batch (none: nothing kept).
    static void Keep(const CString& key, const CString& text);
};
