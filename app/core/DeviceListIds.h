// The device ids of a device list file (device.xml): the one reading of them
// that the device registry and the schedule purge share, so that a purge
// never removes the schedules of a device the registry keeps.
#pragma once

#include <afx.h>

#include <cstddef>
#include <set>
#include <vector>

class CPlainXmlReader;
class TiXmlDocument;
class TiXmlElement;

// Device ids count from 1000 to 9999; ids from 10000 on come from the
// registry's own numbering past 9999 and are kept as they are.
const int kMinDeviceId = 1000;
const int kMaxDeviceId = 9999;
// The largest id a device keeps: its channel and alarm ids (id * 10000 plus
// at most 4063) still fit in a 32-bit integer.
const int kMaxKeptDeviceId = 214747;

// One Device element of a device list and the id the registry keeps it under.
struct DEVICE_LIST_ENTRY {
    const TiXmlElement* element;
    int id;
};

// The Device elements of every Organization element, in document order, with
// their ids. An id attribute from 1000 to kMaxKeptDeviceId is the id. Any
// other (missing, no number, below 1000, too large) gets the last id + 1, the
// last id starting at 1000 and rising with each id given, or, when that is
// above 9999 or is the id of any element of the list, the lowest such free id
// from 1001; when every id up to 9999 is taken the element is left out. Two
// elements with the same id are both listed: the later one replaces the
// earlier in the registry.
void ListDeviceElements(const TiXmlDocument& document, std::vector<DEVICE_LIST_ENTRY>& out);
// The same ids from the elements' own ids in document order (0 for an
// element without one the registry can keep): one id per element, 0 for an
// element left out.
void AssignDeviceIds(const std::vector<int>& ownIds, std::vector<int>& ids);
// The own id of a Device element whose id attribute reads as value (number:
// it held one): the id, or 0.
int OwnDeviceId(bool number, int value);
// A Device element of a list text in the plain form (CPlainXmlReader): its
// own id (OwnDeviceId) and its bytes, from its '<' to its last '>'.
struct PLAIN_DEVICE_ELEMENT {
    int ownId;
    size_t begin;
    size_t end;
    // What the caller's check said of its start tag.
    bool checked;
};
// Asked of each Device element's start tag while the outline is read.
typedef bool (*PlainDeviceCheck)(const CPlainXmlReader& reader);
// The Device elements of every Organization element of a list text in the
// plain form, in document order: one pass over the text, nothing of the
// devices read but their ids. False when the text is not plain.
bool ReadPlainDeviceElements(const char* text, size_t length, std::vector<PLAIN_DEVICE_ELEMENT>& out,
                             PlainDeviceCheck check = nullptr);

// AssignDeviceIds for the elements of an outline.
void AssignDeviceIds(const std::vector<PLAIN_DEVICE_ELEMENT>& elements, std::vector<int>& ids);

// Adds the ids ListDeviceElements gives the elements of the file, with no
// maximum count, read straight from the text when it is plain. Returns 0;
// -1 when the file is missing, holds no bytes or does not parse (ids
// untouched).
int ReadDeviceListIds(const CString& path, std::set<int>& ids);
