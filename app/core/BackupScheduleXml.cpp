#include "BackupScheduleXml.h"

#include <cstring>
#include <string>

#include "CFileView.h"
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
        if (day >= 0 && day < kDaysPerWeek) schedule.WeekDayEnable[day] = GetIntAttribute(weekDay, "Enable") != 0 ? 1 : 0;
    }
    schedule.AgoType = GetIntAttribute(element, "AgoType");
    ReadTimeRange(element, "BackupScheduleDeviceRecordTime", schedule.RecordTime);
    ReadEndTime(element, schedule.EndTime);
    return schedule;
}

// --- The plain reader ---

// The declaration the program writes; any other goes to the general parser,
// whose reading of odd declarations can end the document early.
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>";
// Deeper nesting, never written by the program, is left to the general parser.
const int kMaxDepth = 32;
// More attributes than any element of the file has; checked for repeats,
// which the general parser refuses.
const size_t kMaxAttributes = 16;
// A saved automatic schedule takes about 600 bytes; reserving for one per
// 512 bytes spares the records' moves while the vector grows.
const size_t kBytesPerScheduleAtLeast = 512;

// The whitespace of the general parser and of sscanf in the "C" locale.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

struct Span {
    const char* data = nullptr;
    size_t size = 0;

    bool Is(const char* text) const { return std::strlen(text) == size && std::memcmp(data, text, size) == 0; }
    bool operator==(const Span& other) const {
        return size == other.size && std::memcmp(data, other.data, size) == 0;
    }
};

struct Attribute {
    Span name;
    Span value;
};

// Where an element sits, which decides what it contributes.
enum class Place { kOther, kAutoSection, kSchedule };

class PlainScheduleReader {
public:
    PlainScheduleReader(const char* text, size_t length) : m_p(text), m_end(text + length) {}

    // False when the text is not in the plain form (nothing is then trusted).
    bool Read(std::vector<BACKUP_SCHEDULE>& out) {
        if (std::memchr(m_p, '\0', static_cast<size_t>(m_end - m_p))) return false;
        SkipSpace();
        const size_t declaration = sizeof(kDeclaration) - 1;
        if (static_cast<size_t>(m_end - m_p) >= declaration && std::memcmp(m_p, kDeclaration, declaration) == 0)
            m_p += declaration;
        bool anyElement = false;
        for (;;) {
            SkipSpace();
            if (m_p == m_end) return anyElement;
            if (*m_p != '<' || !ReadElement(1, Place::kOther, out)) return false;
            anyElement = true;
        }
    }

private:
    bool SkipSpace() {
        const char* start = m_p;
        while (m_p < m_end && IsSpace(*m_p)) ++m_p;
        return m_p != start;
    }

    bool ReadName(Span& name) {
        if (m_p == m_end || !IsNameStart(*m_p)) return false;
        name.data = m_p;
        while (m_p < m_end && IsNameChar(*m_p)) ++m_p;
        name.size = static_cast<size_t>(m_p - name.data);
        return true;
    }

    // A quoted value holding neither markup nor entity references.
    bool ReadValue(Span& value) {
        if (m_p == m_end || (*m_p != '"' && *m_p != '\'')) return false;
        const char quote = *m_p++;
        value.data = m_p;
        while (m_p < m_end && *m_p != quote) {
            if (*m_p == '<' || *m_p == '&') return false;
            ++m_p;
        }
        if (m_p == m_end) return false;
        value.size = static_cast<size_t>(m_p - value.data);
        ++m_p;
        return true;
    }

    // Reads the attributes after the element name up to "/>" or ">".
    bool ReadAttributes(bool& empty) {
        m_attributes.clear();
        for (;;) {
            const bool spaced = SkipSpace();
            if (m_p == m_end) return false;
            if (*m_p == '/') {
                empty = true;
                return ++m_p < m_end && *m_p++ == '>';
            }
            if (*m_p == '>') {
                empty = false;
                ++m_p;
                return true;
            }
            Attribute attribute;
            if (!spaced || !ReadName(attribute.name)) return false;
            SkipSpace();
            if (m_p == m_end || *m_p++ != '=') return false;
            SkipSpace();
            if (!ReadValue(attribute.value) || m_attributes.size() == kMaxAttributes) return false;
            for (const Attribute& earlier : m_attributes)
                if (earlier.name == attribute.name) return false;
            m_attributes.push_back(attribute);
        }
    }

    const Attribute* Find(const char* name) const {
        for (const Attribute& attribute : m_attributes)
            if (attribute.name.Is(name)) return &attribute;
        return nullptr;
    }

    // The attribute as sscanf("%d") reads it, 0 when it is missing or no
    // number. False for more digits than surely fit, left to the general
    // parser's reading.
    bool IntAttribute(const char* name, int& value) const {
        value = 0;
        const Attribute* attribute = Find(name);
        if (!attribute) return true;
        const char* p = attribute->value.data;
        const char* end = p + attribute->value.size;
        while (p < end && IsSpace(*p)) ++p;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+')) ++p;
        if (p == end || *p < '0' || *p > '9') return true;
        while (p < end && *p == '0') ++p;
        int digits = 0;
        int magnitude = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            if (++digits > 9) return false;
            magnitude = magnitude * 10 + (*p - '0');
        }
        value = negative ? -magnitude : magnitude;
        return true;
    }

    bool ByteAttribute(const char* name, uint8_t& field) const {
        int value;
        if (!IntAttribute(name, value)) return false;
        field = static_cast<uint8_t>(value);
        return true;
    }

    bool ReadTimeRange(TIME_RANGE& range) const {
        return ByteAttribute("FHour", range.FHour) && ByteAttribute("FMinute", range.FMinute) &&
               ByteAttribute("THour", range.THour) && ByteAttribute("TMinute", range.TMinute);
    }

    bool ReadEndTime(SCHEDULE_END_TIME& end) const {
        int year;
        if (!IntAttribute("Year", year)) return false;
        end.Year = year;
        return ByteAttribute("Month", end.Month) && ByteAttribute("Day", end.Day) && ByteAttribute("Hour", end.Hour) &&
               ByteAttribute("Minute", end.Minute) && ByteAttribute("Second", end.Second);
    }

    bool StartSchedule() {
        m_schedule = BACKUP_SCHEDULE();
        m_seenRunTime = m_seenRecordTime = m_seenEndTime = false;
        return IntAttribute("DevID", m_schedule.DevID) && IntAttribute("ChannelIndex", m_schedule.ChannelIndex) &&
               IntAttribute("AgoType", m_schedule.AgoType);
    }

    // A child of a schedule: the first of each window and of the end time
    // counts, every weekday entry does.
    bool ReadScheduleChild(const Span& name) {
        if (name.Is("BackupScheduleRunTime") && !m_seenRunTime) {
            m_seenRunTime = true;
            return ReadTimeRange(m_schedule.RunTime);
        }
        if (name.Is("BackupScheduleDeviceRecordTime") && !m_seenRecordTime) {
            m_seenRecordTime = true;
            return ReadTimeRange(m_schedule.RecordTime);
        }
        if (name.Is("BackupScheduleEndTime") && !m_seenEndTime) {
            m_seenEndTime = true;
            return ReadEndTime(m_schedule.EndTime);
        }
        if (name.Is("WeekDayInfo")) {
            int day, enable;
            if (!IntAttribute("WeekDay", day) || !IntAttribute("Enable", enable)) return false;
            if (day >= 0 && day < kDaysPerWeek) m_schedule.WeekDayEnable[day] = enable != 0 ? 1 : 0;
        }
        return true;
    }

    // Reads the element at m_p ('<') through its end tag.
    bool ReadElement(int depth, Place parent, std::vector<BACKUP_SCHEDULE>& out) {
        ++m_p;
        Span name;
        bool empty = false;
        if (!ReadName(name) || !ReadAttributes(empty)) return false;
        Place place = Place::kOther;
        if (depth == 1 && name.Is("AutoBackupSchedule")) {
            place = Place::kAutoSection;
        } else if (parent == Place::kAutoSection && name.Is("BackupSchedule")) {
            place = Place::kSchedule;
            if (!StartSchedule()) return false;
        } else if (parent == Place::kSchedule && !ReadScheduleChild(name)) {
            return false;
        }
        if (!empty && !ReadContent(depth, place, name, out)) return false;
        if (place == Place::kSchedule) out.push_back(m_schedule);
        return true;
    }

    // Text and child elements up to and including the end tag of name.
    bool ReadContent(int depth, Place place, const Span& name, std::vector<BACKUP_SCHEDULE>& out) {
        for (;;) {
            while (m_p < m_end && *m_p != '<') {
                if (*m_p == '&') return false;
                ++m_p;
            }
            if (m_end - m_p < 2) return false;
            if (m_p[1] == '/') {
                m_p += 2;
                Span endName;
                if (!ReadName(endName) || !(endName == name)) return false;
                SkipSpace();
                return m_p < m_end && *m_p++ == '>';
            }
            if (depth == kMaxDepth || !ReadElement(depth + 1, place, out)) return false;
        }
    }

    const char* m_p;
    const char* m_end;
    std::vector<Attribute> m_attributes;
    BACKUP_SCHEDULE m_schedule;
    bool m_seenRunTime = false;
    bool m_seenRecordTime = false;
    bool m_seenEndTime = false;
};

}  // namespace

bool ReadPlainScheduleXml(const char* text, size_t length, std::vector<BACKUP_SCHEDULE>& out) {
    const size_t before = out.size();
    out.reserve(before + length / kBytesPerScheduleAtLeast);
    if (PlainScheduleReader(text, length).Read(out)) return true;
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
            const size_t bom = view.Size() >= 3 && std::memcmp(view.Data(), "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
            if (ReadPlainScheduleXml(view.Data() + bom, view.Size() - bom, out)) return 0;
        }
    }  // unmapped: a file that does not parse is moved aside
    TiXmlDocument doc;
    const int read = ReadStoredXmlFile(path, doc);
    if (read < 0) return -1;
    ReadScheduleDocument(doc, out);
    return read == 2 ? 1 : 0;
}
