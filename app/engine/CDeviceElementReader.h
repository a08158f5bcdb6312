// CDeviceElementReader: one Device element of the device list file into a
// DEVICE_RECORD, from the parsed document or straight from the text of a
// list in the plain form (CPlainXmlReader): a list of 100 000 devices is read
// without building a document of it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "app/engine/DEVICE_RECORD.h"

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
    // False when a value was out of range (and replaced).
    bool InRange() const { return !m_refused; }

    // The record of a parsed Device element kept under id. False when a
    // value was out of range.
    static bool ReadElement(const TiXmlElement& element, int id, DEVICE_RECORD& record);
    // Reads a list text in the plain form: add is called with each device
    // kept, under the id ListDeviceElements gives it, in list order until
    // it returns false. False when the text is not plain (add may have been
    // called before that showed); inRange is false when a value was out of
    // range.
    static bool ReadPlainList(const char* text, size_t length, const std::function<bool(const DEVICE_RECORD&)>& add,
                              bool& inRange);

private:
    DEVICE_RECORD m_record;
    bool m_refused = false;
    int m_channelsTaken = 0;
    int m_alarmsTaken = 0;
};
