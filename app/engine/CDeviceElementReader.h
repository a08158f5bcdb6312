// CDeviceElementReader: one Device element of the device list file into a
// DEVICE_RECORD, from the parsed document or straight from the text of a
// list in the plain form (CPlainXmlReader): a list of 100 000 devices is read
// without building a document of it.
#pragma once

#include <cstddef>

#include "app/engine/DEVICE_RECORD.h"

class CPlainXmlReader;
class TiXmlElement;

class CDeviceElementReader {
public:
    // The attributes of the element being read.
    class IAttributes {
    public:
        virtual ~IAttributes() {}
        // The value, or null when the attribute is missing; valid until the
        // next call.
        virtual const char* Text(const char* name) = 0;
        // True with value when the attribute holds a number (as sscanf("%d")
        // reads it); false, value untouched, when it is missing or holds none.
        virtual bool Int(const char* name, int& value) = 0;
    };

    // Starts the record of a Device element that the list keeps under id.
    void Start(int id, IAttributes& device);
    // Its Channel and Alarm children, each kind in document order.
    void Channel(IAttributes& child);
    void Alarm(IAttributes& child);
    // The record read since Start.
    const DEVICE_RECORD& Record();
    // Starts the record of a Device element in the plain form, given as
    // its text alone, and reads its children. False when it is not plain.
    bool ReadPlain(const char* element, size_t size, int id);
    // False when a value was out of range (and replaced).
    bool InRange() const { return !m_refused; }

    // Where the devices of a list go as they are read.
    class IList {
    public:
        virtual ~IList() {}
        // True when a device added now would be held back.
        virtual bool Full() = 0;
        virtual void Add(const DEVICE_RECORD& record) = 0;
        // A device past the maximum, as its element stands in the file
        // (from its '<' to its last '>'), not read.
        virtual void HoldBack(int id, const char* element, size_t size) = 0;
        // Before the first HoldBack: at most this many devices and bytes of
        // their elements are to come.
        virtual void ExpectHeldBack(size_t devices, size_t bytes) {}
    };

    // The record of a parsed Device element kept under id. False when a
    // value was out of range.
    static bool ReadElement(const TiXmlElement& element, int id, DEVICE_RECORD& record);
    // Reads a list text in the plain form into list, each device under the
    // id ListDeviceElements gives it, in list order. Once the list is full,
    // a device whose element can be written again as it stands (its own id,
    // nothing out of range) is held back without being read: a list of
    // 100 000 devices is mostly such. False when the text is not plain
    // (devices may have been added before that showed); inRange is false
    // when a value was out of range.
    static bool ReadPlainList(const char* text, size_t length, IList& list, bool& inRange);
    // Whether the start tag of a Device element being read holds nothing
    // that Start would refuse.
    static bool NothingRefused(const CPlainXmlReader& reader);

private:
    DEVICE_RECORD m_record;
    bool m_refused = false;
    int m_channelsTaken = 0;
    int m_alarmsTaken = 0;
};
