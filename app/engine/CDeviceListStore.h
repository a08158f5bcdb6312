// CDeviceListStore: the device list file (device.xml) of one user: reading
// it into device records, writing the registry's records into it, and
// rewriting one device's element after a login or a rename. A list in the
// program's own form is read straight from its text, and one element is
// replaced within the text; any other form goes through the general
// parser's document.
//
// Locks: m_fileLock keeps this store's in-memory document to one reader or
// writer at a time; inside it, the process-wide lock of the file's path
// (CPathLocks) keeps the file itself to one reader or writer of any store
// (the login-retry thread saves elements through the engine's manager while
// the device dialog's lists write the whole file through their own). The
// callbacks of Read and Write run under both and take the registry's records
// lock: the file locks come first and are never taken while the records lock
// is held.
#pragma once

#include <afx.h>

#include <functional>
#include <memory>
#include <string>

#include "common/CAutoLock.h"
#include "common/CLock.h"
#include "app/engine/CDeviceElementReader.h"
#include "app/engine/DEVICE_RECORD.h"

class CDeviceListStore {
public:
    CDeviceListStore();
    ~CDeviceListStore();
    CDeviceListStore(const CDeviceListStore&) = delete;
    CDeviceListStore& operator=(const CDeviceListStore&) = delete;

    // Holds the file lock across several steps (the owner taking a new path
    // and reading it), so no save reaches the file in between.
    class CHold {
    public:
        explicit CHold(CDeviceListStore& store) : m_lock(&store.m_fileLock) {}

    private:
        CAutoLock m_lock;
    };

    // Where Read puts the devices of the file.
    class IList : public CDeviceElementReader::IList {
    public:
        virtual void Clear() = 0;
    };
    // Calls list.Clear, then hands list each device of the file in list
    // order, under the id ListDeviceElements gives it. 0, also for a missing
    // or empty file; -1 when the text does not parse (nothing is added). A
    // leading UTF-8 byte-order mark is skipped. For the stored list of a
    // user (storedFile) a file that does not parse is set aside and the
    // devices before the damage are read and written back
    // (ReadStoredXmlFile): 1; -1 only when it could not be set aside.
    int Read(const CString& path, IList& list, bool storedFile = false);
    // One device of a list being written: a record, or the element text of
    // a held-back device (record null).
    typedef std::function<void(const DEVICE_RECORD* record, const char* element, size_t size)> Visitor;
    // Writes the devices visitAll hands its visitor (called under the file
    // lock, in ascending id order) as the list. 0; -3 when the file could
    // not be written.
    int Write(const CString& path, const std::function<void(const Visitor&)>& visitAll);
    // The record's Device element as Write puts it into the file, default
    // channel names given: from its '<' to its last '>'.
    static std::string ElementText(const DEVICE_RECORD& record);
    // Rewrites the element of record.id when it differs from the record's:
    // a login that changed nothing leaves the file as it was. 0 (also when
    // the file has no element for it: the file is left alone); -1 when the
    // file cannot be loaded; -3 when it cannot be saved.
    int SaveElement(const CString& path, const DEVICE_RECORD& record);

private:
    class CDocument;
    bool ReadPlainFile(const CString& path, IList& list, bool& inRange);
    int ReadDocument(const CString& path, IList& list, bool& inRange, bool storedFile);
    int SaveElementThroughDocument(const CString& path, const DEVICE_RECORD& record);
    int SaveDocument(const CString& path);
    void ReleaseDocument();
    bool LoadDocument(const CString& path);

    CLock m_fileLock;
    std::unique_ptr<CDocument> m_document;
};
