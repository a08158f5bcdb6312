#include "standins/qvnetsdk/SdkWire.h"

#include <algorithm>
#include <cstring>

namespace qvwire {

namespace {

const size_t kMaxCredential = 31;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

unsigned DaysInMonth(int64_t y, unsigned m) {
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return kDays[m - 1];
}

std::string Cut(const std::string& text) { return text.substr(0, std::min(text.size(), kMaxCredential)); }

}  // namespace

void EncodeHeader(const PacketHeader& header, uint8_t* out) {
    std::memset(out, 0, kHeaderSize);
    out[0] = header.command;
    out[3] = header.flag;
    WriteLe32(out + 4, header.bodyLength);
    WriteLe32(out + 8, header.sequence);
    WriteLe32(out + 12, header.status);
    for (int i = 0; i < 4; ++i) WriteLe32(out + 16 + 4 * i, header.args[i]);
}

bool DecodeHeader(const uint8_t* data, size_t length, PacketHeader& header) {
    if (!data || length < kHeaderSize) return false;
    const uint32_t body = ReadLe32(data + 4);
    if (body > kMaxBody) return false;
    header.command = data[0];
    header.flag = data[3];
    header.bodyLength = body;
    header.sequence = ReadLe32(data + 8);
    header.status = ReadLe32(data + 12);
    for (int i = 0; i < 4; ++i) header.args[i] = ReadLe32(data + 16 + 4 * i);
    return true;
}

std::vector<uint8_t> BuildPacket(PacketHeader header, const uint8_t* body, size_t length) {
    if (length > kMaxBody) length = kMaxBody;
    header.bodyLength = static_cast<uint32_t>(length);
    std::vector<uint8_t> packet(kHeaderSize + length);
    EncodeHeader(header, packet.data());
    if (length) std::memcpy(packet.data() + kHeaderSize, body, length);
    return packet;
}

std::vector<uint8_t> BuildPacket(const PacketHeader& header, const std::vector<uint8_t>& body) {
    return BuildPacket(header, body.data(), body.size());
}

std::vector<uint8_t> BuildLoginRequest(const std::string& userIn, const std::string& passwordIn) {
    const std::string user = Cut(userIn), password = Cut(passwordIn);
    const bool shortForm = user.size() <= 8 && password.size() <= 8;
    std::string text;
    if (!shortForm) text = user + "&&" + password;
    std::vector<uint8_t> packet(kHeaderSize + text.size(), 0);
    packet[0] = kCmdLogin;
    packet[3] = 0x50;
    WriteLe32(&packet[4], static_cast<uint32_t>(text.size()));
    if (shortForm) {
        std::memcpy(&packet[8], user.data(), user.size());
        std::memcpy(&packet[16], password.data(), password.size());
    }
    packet[24] = 4;
    packet[25] = 1;
    packet[30] = 0xA1;
    packet[31] = 0xAA;
    if (!text.empty()) std::memcpy(&packet[kHeaderSize], text.data(), text.size());
    return packet;
}

bool ParseLoginRequest(const uint8_t* data, size_t length, std::string& user, std::string& password) {
    PacketHeader header;
    if (!DecodeHeader(data, length, header) || header.command != kCmdLogin) return false;
    if (length < kHeaderSize + header.bodyLength) return false;
    if (header.bodyLength == 0) {
        user = FieldText(reinterpret_cast<const char*>(data + 8), 8);
        password = FieldText(reinterpret_cast<const char*>(data + 16), 8);
        return true;
    }
    const std::string text(reinterpret_cast<const char*>(data + kHeaderSize), header.bodyLength);
    const size_t split = text.find("&&");
    if (split == std::string::npos) return false;
    user = text.substr(0, split);
    password = text.substr(split + 2);
    return true;
}

std::vector<uint8_t> BuildLoginReply(uint8_t result, uint32_t loginId, const QVNET_DEVICE_INFO& info) {
    std::vector<uint8_t> packet(kLoginReplySize, 0);
    packet[0] = kCmdLoginReply;
    WriteLe32(&packet[4], static_cast<uint32_t>(kLoginReplySize - kHeaderSize));
    packet[8] = result;
    packet[10] = info.channelCount;
    WriteLe32(&packet[16], loginId);
    uint8_t* body = &packet[kHeaderSize];
    std::memcpy(body, info.serial, 16);
    body[15] = 0;
    body[16] = info.alarmInCount;
    body[17] = info.alarmOutCount;
    body[18] = info.diskCount;
    body[19] = info.deviceType;
    body[20] = info.channelCount;
    body[21] = info.protocolVersion;
    return packet;
}

bool ParseLoginReply(const uint8_t* data, size_t length, uint8_t& result, uint32_t& loginId, QVNET_DEVICE_INFO& info) {
    PacketHeader header;
    if (!DecodeHeader(data, length, header) || header.command != kCmdLoginReply) return false;
    std::memset(&info, 0, sizeof(info));
    result = data[8];
    loginId = ReadLe32(data + 16);
    const size_t body = std::min<size_t>(header.bodyLength, length - kHeaderSize);
    const uint8_t* p = data + kHeaderSize;
    if (body >= 22) {
        std::memcpy(info.serial, p, 16);
        info.serial[15] = 0;
        info.alarmInCount = p[16];
        info.alarmOutCount = p[17];
        info.diskCount = p[18];
        info.deviceType = p[19];
        info.protocolVersion = p[21];
    }
    // A relay may rewrite byte 10 with the device's total channel count: it wins.
    info.channelCount = data[10];
    return true;
}

std::vector<uint8_t> BuildKeepAlive(uint8_t command) {
    std::vector<uint8_t> packet(kHeaderSize, 0);
    packet[0] = command;
    return packet;
}

int64_t TimeToSeconds(const QVNET_TIME& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + static_cast<int64_t>(t.hour) * 3600 + t.minute * 60 +
           t.second;
}

QVNET_TIME SecondsToTime(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    QVNET_TIME t;
    t.year = static_cast<uint32_t>(y);
    t.month = m;
    t.day = d;
    t.hour = static_cast<uint32_t>(rest / 3600);
    t.minute = static_cast<uint32_t>(rest / 60 % 60);
    t.second = static_cast<uint32_t>(rest % 60);
    return t;
}

bool IsValidTime(const QVNET_TIME& t) {
    if (t.year < 1970 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1) return false;
    if (t.day > DaysInMonth(t.year, t.month)) return false;
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

void AppendTime(std::vector<uint8_t>& out, const QVNET_TIME& t) {
    AppendLe32(out, t.year);
    AppendLe32(out, t.month);
    AppendLe32(out, t.day);
    AppendLe32(out, t.hour);
    AppendLe32(out, t.minute);
    AppendLe32(out, t.second);
}

QVNET_TIME ReadTime(const uint8_t* p) {
    QVNET_TIME t;
    t.year = ReadLe32(p);
    t.month = ReadLe32(p + 4);
    t.day = ReadLe32(p + 8);
    t.hour = ReadLe32(p + 12);
    t.minute = ReadLe32(p + 16);
    t.second = ReadLe32(p + 20);
    return t;
}

std::vector<uint8_t> EncodeFindRequest(const FindRequest& r) {
    std::vector<uint8_t> out;
    AppendLe32(out, r.channel);
    AppendLe32(out, r.fileType);
    AppendTime(out, r.start);
    AppendTime(out, r.end);
    out.insert(out.end(), r.card, r.card + sizeof(r.card));
    AppendLe32(out, r.startIndex);
    AppendLe32(out, r.maxCount);
    return out;
}

bool DecodeFindRequest(const uint8_t* data, size_t length, FindRequest& r) {
    if (!data || length != kFindRequestSize) return false;
    r.channel = ReadLe32(data);
    r.fileType = ReadLe32(data + 4);
    r.start = ReadTime(data + 8);
    r.end = ReadTime(data + 32);
    std::memcpy(r.card, data + 56, sizeof(r.card));
    r.card[sizeof(r.card) - 1] = 0;
    r.startIndex = ReadLe32(data + 120);
    r.maxCount = ReadLe32(data + 124);
    return true;
}

std::vector<uint8_t> EncodeOpenRequest(const OpenRequest& r) {
    std::vector<uint8_t> out;
    AppendLe32(out, r.mode);
    if (r.mode == kOpenFile) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&r.file);
        out.insert(out.end(), p, p + sizeof(r.file));
    } else {
        AppendLe32(out, r.channel);
        AppendTime(out, r.start);
        AppendTime(out, r.end);
    }
    return out;
}

bool DecodeOpenRequest(const uint8_t* data, size_t length, OpenRequest& r) {
    if (!data || length < 4) return false;
    r.mode = ReadLe32(data);
    if (r.mode == kOpenFile) {
        if (length != 4 + sizeof(RECORD_FILE_DESC)) return false;
        std::memcpy(&r.file, data + 4, sizeof(r.file));
        r.file.fileName[sizeof(r.file.fileName) - 1] = 0;
        return true;
    }
    if (r.mode != kOpenTimeRange || length != 4 + 4 + 48) return false;
    r.channel = ReadLe32(data + 4);
    r.start = ReadTime(data + 8);
    r.end = ReadTime(data + 32);
    return true;
}

std::vector<uint8_t> BuildSearchProbe(uint32_t nonce) {
    std::vector<uint8_t> out = {'Q', 'V', 'S', 'P'};
    AppendLe32(out, nonce);
    return out;
}

bool ParseSearchProbe(const uint8_t* data, size_t length, uint32_t& nonce) {
    if (!data || length != kSearchProbeSize || std::memcmp(data, "QVSP", 4) != 0) return false;
    nonce = ReadLe32(data + 4);
    return true;
}

std::vector<uint8_t> BuildSearchAnswer(uint32_t nonce, const DEVICE_SEARCH_RESULT& result) {
    std::vector<uint8_t> out = {'Q', 'V', 'S', 'A'};
    AppendLe32(out, nonce);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&result);
    out.insert(out.end(), p, p + sizeof(result));
    return out;
}

bool ParseSearchAnswer(const uint8_t* data, size_t length, uint32_t& nonce, DEVICE_SEARCH_RESULT& result) {
    if (!data || length != kSearchAnswerSize || std::memcmp(data, "QVSA", 4) != 0) return false;
    nonce = ReadLe32(data + 4);
    std::memcpy(&result, data + 8, sizeof(result));
    result.structSize = sizeof(result);
    result.ip[sizeof(result.ip) - 1] = 0;
    result.mask[sizeof(result.mask) - 1] = 0;
    result.gateway[sizeof(result.gateway) - 1] = 0;
    result.mac[sizeof(result.mac) - 1] = 0;
    result.serial[sizeof(result.serial) - 1] = 0;
    result.name[sizeof(result.name) - 1] = 0;
    return true;
}

void CopyText(char* dest, size_t size, const std::string& text) {
    if (!dest || size == 0) return;
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(dest, text.data(), n);
    dest[n] = 0;
}

std::string FieldText(const char* field, size_t size) {
    size_t n = 0;
    while (n < size && field[n]) ++n;
    return std::string(field, n);
}

}  // namespace qvwire
