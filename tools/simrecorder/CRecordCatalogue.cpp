#include "tools/simrecorder/CRecordCatalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "standins/qvnetsdk/SdkWire.h"

void CRecordCatalogue::Build(const SimRecorderConfig& config) {
    m_files.clear();
    m_fps = config.fps;
    m_width = config.width;
    m_height = config.height;
    uint32_t serial = 0;
    for (const SimCatalogueRule& rule : config.rules) {
        if (rule.fileMinutes == 0 || rule.dayEndSecond <= rule.dayStartSecond) continue;
        QVNET_TIME midnight = rule.firstDay;
        midnight.hour = midnight.minute = midnight.second = 0;
        const int64_t firstDay = qvwire::TimeToSeconds(midnight);
        for (uint32_t day = 0; day < rule.days; ++day) {
            for (uint32_t channel = 0; channel < config.channelCount && channel < 32; ++channel) {
                if (rule.channelMask && !(rule.channelMask & (1u << channel))) continue;
                const int64_t dayBase = firstDay + static_cast<int64_t>(day) * 86400;
                const int64_t dayEnd = dayBase + std::min<uint32_t>(rule.dayEndSecond, 86400);
                for (int64_t t = dayBase + rule.dayStartSecond; t < dayEnd; t += rule.fileMinutes * 60) {
                    const int64_t end = std::min<int64_t>(t + rule.fileMinutes * 60, dayEnd);
                    m_files[channel].push_back({t, end, rule.recordType, rule.recordKind, ++serial});
                }
            }
        }
    }
    for (const SimListedFile& file : config.files) {
        const int64_t begin = qvwire::TimeToSeconds(file.start), end = qvwire::TimeToSeconds(file.end);
        if (end > begin) m_files[file.channel].push_back({begin, end, file.recordType, file.recordKind, ++serial});
    }
    for (auto& channel : m_files) {
        std::stable_sort(channel.second.begin(), channel.second.end(),
                         [](const Entry& a, const Entry& b) { return a.begin < b.begin; });
    }
}

size_t CRecordCatalogue::FileCount() const {
    size_t n = 0;
    for (const auto& channel : m_files) n += channel.second.size();
    return n;
}

streamfmt::StreamParams CRecordCatalogue::Params(uint32_t channel, int64_t begin, int64_t end) const {
    streamfmt::StreamParams streamParams;
    streamParams.channel = channel;
    streamParams.beginTime = begin;
    streamParams.endTime = end;
    streamParams.fps = m_fps;
    streamParams.width = m_width;
    streamParams.height = m_height;
    return streamParams;
}

std::vector<CRecordCatalogue::Entry>::const_iterator CRecordCatalogue::FirstEndingAfter(const std::vector<Entry>& files,
                                                                                        int64_t start) const {
    // Files of one channel do not nest, so ends ascend with begins.
    return std::partition_point(files.begin(), files.end(), [start](const Entry& e) { return e.end <= start; });
}

RECORD_FILE_DESC CRecordCatalogue::Describe(uint32_t channel, int64_t begin, int64_t end, uint8_t recordType,
                                            uint8_t recordKind, uint32_t serial) const {
    RECORD_FILE_DESC desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.channel = channel;
    desc.start = qvwire::SecondsToTime(begin);
    desc.end = qvwire::SecondsToTime(end);
    std::snprintf(desc.fileName, sizeof(desc.fileName), "ch%02u_%04u%02u%02u_%02u%02u%02u.qvs", channel + 1,
                  desc.start.year, desc.start.month, desc.start.day, desc.start.hour, desc.start.minute,
                  desc.start.second);
    desc.sizeKB = static_cast<uint32_t>((streamfmt::StreamLength(Params(channel, begin, end)) + 1023) / 1024);
    desc.location1 = serial;
    desc.location2 = static_cast<uint32_t>(begin);
    desc.recordType = recordType;
    desc.recordKind = recordKind;
    return desc;
}

std::vector<RECORD_FILE_DESC> CRecordCatalogue::Query(uint32_t channel, uint32_t fileType, int64_t start,
                                                      int64_t end) const {
    std::vector<RECORD_FILE_DESC> out;
    auto found = m_files.find(channel);
    if (found == m_files.end()) return out;
    for (auto it = FirstEndingAfter(found->second, start); it != found->second.end() && it->begin < end; ++it) {
        if (fileType != 0 && it->recordType != fileType) continue;
        out.push_back(Describe(channel, it->begin, it->end, it->recordType, it->recordKind, it->serial));
    }
    return out;
}

bool CRecordCatalogue::ParamsOfFile(const RECORD_FILE_DESC& file, streamfmt::StreamParams& streamParams) const {
    if (!qvwire::IsValidTime(file.start) || !qvwire::IsValidTime(file.end)) return false;
    auto found = m_files.find(file.channel);
    if (found == m_files.end()) return false;
    const int64_t begin = qvwire::TimeToSeconds(file.start), end = qvwire::TimeToSeconds(file.end);
    for (auto it = FirstEndingAfter(found->second, begin); it != found->second.end() && it->begin <= begin; ++it) {
        if (it->begin == begin && it->end == end) {
            streamParams = Params(file.channel, begin, end);
            return true;
        }
    }
    return false;
}

bool CRecordCatalogue::ParamsOfRange(uint32_t channel, int64_t start, int64_t end,
                                     streamfmt::StreamParams& streamParams) const {
    auto found = m_files.find(channel);
    if (found == m_files.end() || end <= start) return false;
    auto first = FirstEndingAfter(found->second, start);
    if (first == found->second.end() || first->begin >= end) return false;
    int64_t lastEnd = first->end;
    for (auto it = first; it != found->second.end() && it->begin < end; ++it) lastEnd = std::max(lastEnd, it->end);
    streamParams = Params(channel, std::max(start, first->begin), std::min(end, lastEnd));
    return true;
}
