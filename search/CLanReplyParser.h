// Classifies what arrives on the search socket and keeps what the library
// needs from it: the extension of the last device reply, the state and error
// of the last login reply and the result of the last modify reply. Pure code.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

#include "search/LanPacket.h"

class CLanReplyParser {
public:
    enum Kind {
        kIgnored = 0,
        kBinaryDevice = 1,
        kLoginAnswer = 2,
        kModifyAnswer = 3,
        kTextDevice = 4,
    };

    CLanReplyParser() = default;
    virtual ~CLanReplyParser() = default;

    // Classifies one received packet. Returns kIgnored for any mode but 1, for
    // packets shorter than the 32-byte header, for commands that are not
    // replies, and for search replies whose length is not exactly 32 + body +
    // extension or whose form is unknown. kBinaryDevice copies the record to
    // out; kTextDevice leaves the body's place in TextBodyOffset/Length.
    // An accepted search reply replaces the kept extension with its own
    // bytes (none when it carries none).
    int Parse(const uint8_t* packet, size_t length, LAN_DEVICE_RECORD* out, int mode);

    const uint8_t* Extension() const { return m_extension.data(); }
    size_t ExtensionLength() const { return m_extension.size(); }
    int LoginState() const { return m_loginState; }
    int LoginError() const { return m_loginError; }
    int ModifyResult() const { return m_modifyResult; }
    // Where the body of the last text record lies in the packet last parsed.
    size_t TextBodyOffset() const { return lan::kHeaderSize; }
    size_t TextBodyLength() const { return m_textBodyLength; }

    // Returns the result of a login whose request had bytesSent bytes, from
    // the last login reply: bytesSent for state 0 or a state other than 1 and
    // 3; -1..-6 for state 1 with errors 0, 1, 3, 4, 5, 6; -7 for state 1 with
    // another error; -8 for state 3.
    int LoginResult(int bytesSent) const;

    // Returns the caller's result for the last modify reply (0 changed,
    // 1 failed, 2 invalid data, 3 not allowed, -1 unknown) and its GBK text
    // (empty for unknown); the text is static.
    int ModifyOutcome(const char** text) const;

private:
    int ParseSearchReply(const uint8_t* packet, size_t length, LAN_DEVICE_RECORD* out);

    std::vector<uint8_t> m_extension;
    int m_loginState = -1;
    int m_loginError = -1;
    int m_modifyResult = -1;
    size_t m_textBodyLength = 0;
};
