#include "BackupScheduleXml.h"

#include <string>

#include "CFileView.h"
#include "PlainXmlReader.h"
#include "XmlFile.h"

namespace {

// --- The general parser's document ---

void ReadTimeRange(const TiXmlElement* parent, const char* name, TIME_RANGE& range) {
    const TiXmlElement* element = parent->FirstChildElement(name);
    if (!element) return;
    range.FHour = static_cast<uint8_t>(GetIntAttribute(element, "FHour"));
    range.FMinute = static_cast<uint8_t>(GetIntAttribute(element, "FMinute"));
    range.THour = static_cast<uint8_t>(GetIntAttribute(element, "THour"));
    range.TMinute = static_cast<uint8_t>(GetIntAttribute(element, "TMinute"));
}

void ReadEndTime(const TiXmlElement* parent, SCHEDULE_END_TIME& end) {
    const TiXmlElement* element = parent->FirstChildElement("BackupScheduleEndTime");
    if (!element) return;
    end.Year = GetIntAttribute(element, "Year");
    end.Month = static_cast<uint8_t>(GetIntAttribute(element, "Month"));
    end.Day = static_cast<uint8_t>(GetIntAttribute(element, "Day"));
    end.Hour = static_cast<uint8_t>(GetIntAttribute(element, "Hour"));
    end.Minute = static_cast<uint8_t>(GetIntAttribute(element, "Minute"));
    end.Second = static_cast<uint8_t>(GetIntAttribute(element, "Second"));
}

// A loaded schedule starts every day idle: "Complete" is written, never read.
BACKUP_SCHEDULE ReadAutoElement(const TiXmlElement* element) {
    BACKUP_SCHEDULE schedule;
    schedule.DevID = GetIntAttribute(element, "DevID");
    schedule.ChannelIndex = GetIntAttribute(element, "ChannelIndex");
    ReadTimeRange(element, "BackupScheduleRunTime", schedule.RunTime);
    for (const TiXmlElement* weekDay = element->FirstChildElement("WeekDayInfo"); weekDay;
         weekDay = weekDay->NextSiblingElement("WeekDayInfo")) {
        const int day = GetIntAttribute(weekDay, "WeekDay");
        if (day >= 0 && day < kDaysPerWeek)
            schedule.WeekDayEnable[day] = GetIntAttribute(weekDay, "Enable") != 0 ? 1 : 0;
    }
    schedule.AgoType = GetIntAttribute(element, "AgoType");
    ReadTimeRange(element, "BackupScheduleDeviceRecordTime", schedule.RecordTime);
    ReadEndTime(element, schedule.EndTime);
    return schedule;
}

// --- The plain reader ---

// A saved automatic schedule takes about 600 bytes; reserving for one per
// 512 bytes spares the records' moves while the vector grows.
const size_t kBytesPerScheduleAtLeast = 512;

// Where an element sits, which decides what it contributes.
enum class Place { kOther, kAutoSection, kSchedule };

class PlainScheduleHandler : public CPlainXmlReader::IHandler {
public:
    explicit PlainScheduleHandler(std::vector<BACKUP_SCHEDULE>& out) : m_out(out) {}

    bool Start(int depth, const CPlainXmlReader::Span& name, const CPlainXmlReader& reader) override {
        const Place parent = m_places.empty() ? Place::kOther : m_places.back();
        Place place = Place::kOther;
        if (depth == 1 && name.Is("AutoBackupSchedule")) {
            place = Place::kAutoSection;
        } else if (parent == Place::kAutoSection && name.Is("BackupSchedule")) {
            place = Place::kSchedule;
            if (!StartSchedule(reader)) return false;
        } else if (parent == Place::kSchedule && !ReadScheduleChild(name, reader)) {
            return false;
        }
        m_places.push_back(place);
        return true;
    }

    bool End(int) override {
        if (m_places.back() == Place::kSchedule) m_out.push_back(m_schedule);
        m_places.pop_back();
        return true;
    }

private:
    static bool ByteAttribute(const CPlainXmlReader& reader, const char* name, uint8_t& field) {
        int value;
        if (!reader.IntAttribute(name, value)) return false;
        field = static_cast<uint8_t>(value);
        return true;
    }

    static bool ReadTimeRange(const CPlainXmlReader& reader, TIME_RANGE& range) {
        return ByteAttribute(reader, "FHour", range.FHour) && ByteAttribute(reader, "FMinute", range.FMinute) &&
               ByteAttribute(reader, "THour", range.THour) && ByteAttribute(reader, "TMinute", range.TMinute);
    }

    static bool ReadEndTime(const CPlainXmlReader& reader, SCHEDULE_END_TIME& end) {
        int year;
        if (!reader.IntAttribute("Year", year)) return false;
        end.Year = year;
        return ByteAttribute(reader, "Month", end.Month) && ByteAttribute(reader, "Day", end.Day) &&
               ByteAttribute(reader, "Hour", end.Hour) && ByteAttribute(reader, "Minute", end.Minute) &&
               ByteAttribute(reader, "Second", end.Second);
    }

    bool StartSchedule(const CPlainXmlReader& reader) {
        m_schedule = BACKUP_SCHEDULE();
        m_seenRunTime = m_seenRecordTime = m_seenEndTime = false;
        return reader.IntAttribute("DevID", m_schedule.DevID) &&
               reader.IntAttribute("ChannelIndex", m_schedule.ChannelIndex) &&
               reader.IntAttribute("AgoType", m_schedule.AgoType);
    }

    // A child of a schedule: the first of each window and of the end time
    // counts, every weekday entry does.
    bool ReadScheduleChild(const CPlainXmlReader::Span& name, const CPlainXmlReader& reader) {
        if (name.Is("BackupScheduleRunTime") && !m_seenRunTime) {
            m_seenRunTime = true;
            return ReadTimeRange(reader, m_schedule.RunTime);
        }
        if (name.Is("BackupScheduleDeviceRecordTime") && !m_seenRecordTime) {
            m_seenRecordTime = true;
            return ReadTimeRange(reader, m_schedule.RecordTime);
        }
        if (name.Is("BackupScheduleEndTime") && !m_seenEndTime) {
            m_seenEndTime = true;
            return ReadEndTime(reader, m_schedule.EndTime);
        }
        if (name.Is("WeekDayInfo")) {
            int day, enable;
            if (!reader.IntAttribute("WeekDay", day) || !reader.IntAttribute("Enable", enable)) return false;
            if (day >= 0 && day < kDaysPerWeek) m_schedule.WeekDayEnable[day] = enable != 0 ? 1 : 0;
        }
        return true;
    }

    std::vector<BACKUP_SCHEDULE>& m_out;
    std::vector<Place> m_places;
    BACKUP_SCHEDULE m_schedule;
    bool m_seenRunTime = false;
    bool m_seenRecordTime = false;
    bool m_seenEndTime = false;
};

}  // namespace

bool ReadPlainScheduleXml(const char* text, size_t length, std::vector<BACKUP_SCHEDULE>& out) {
    const size_t before = out.size();
    out.reserve(before + length / kBytesPerScheduleAtLeast);
    PlainScheduleHandler handler(out);
    if (CPlainXmlReader().Read(text, length, handler)) return true;
    out.resize(before);
    return false;
}

void ReadScheduleDocument(const TiXmlDocument& doc, std::vector<BACKUP_SCHEDULE>& out) {
    for (const TiXmlElement* section = doc.FirstChildElement("AutoBackupSchedule"); section;
         section = section->NextSiblingElement("AutoBackupSchedule")) {
        for (const TiXmlElement* element = section->FirstChildElement("BackupSchedule"); element;
             element = element->NextSiblingElement("BackupSchedule"))
            out.push_back(ReadAutoElement(element));
    }
}

int ReadScheduleFile(const CString& path, std::vector<BACKUP_SCHEDULE>& out) {
    {
        CFileView view;
        if (view.Open(path)) {
            const size_t bom = view.Utf8BomSize();
            if (ReadPlainScheduleXml(view.Data() + bom, view.Size() - bom, out)) return 0;
        }
    }  // unmapped: a file that does not parse is moved aside
    TiXmlDocument doc;
    const int read = ReadStoredXmlFile(path, doc);
    if (read < 0) return -1;
    ReadScheduleDocument(doc, out);
    return read == 2 ? 1 : 0;
}
