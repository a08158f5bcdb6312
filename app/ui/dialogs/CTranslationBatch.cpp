#include "CTranslationBatch.h"

#include <map>
#include <memory>

namespace {

struct BATCH_STATE {
    int depth = 0;
    std::unique_ptr<std::map<CString, CString>> answers;
};

BATCH_STATE& ThreadBatch() {
    thread_local BATCH_STATE state;
    return state;
}

}  // namespace

CTranslationBatch::CTranslationBatch() {
    BATCH_STATE& state = ThreadBatch();
    if (state.depth++ == 0) state.answers.reset(new std::map<CString, CString>());
}

CTranslationBatch::~CTranslationBatch() {
    BATCH_STATE& state = ThreadBatch();
    if (--state.depth == 0) state.answers.reset();
}

bool CTranslationBatch::Recall(const CString& key, CString* text) {
    const BATCH_STATE& state = ThreadBatch();
    if (!state.answers) return false;
    const auto found = state.answers->find(key);
    if (found == state.answers->end()) return false;
    *text = found->second;
    return true;
}

void CTranslationBatch::Keep(const CString& key, const CString& text) {
    BATCH_STATE& state = ThreadBatch();
    if (state.answers) state.answers->emplace(key, text);
}
