// OLE on the calling thread for the lifetime of the object: OleInitialize when made,
// OleUninitialize when it goes, on the same thread, only if the start-up succeeded.
#pragma once

#include <ole2.h>

class COleInitialization {
public:
    COleInitialization() : m_hr(::OleInitialize(nullptr)) {}
    ~COleInitialization() {
        if (SUCCEEDED(m_hr)) ::OleUninitialize();
    }
    COleInitialization(const COleInitialization&) = delete;
    COleInitialization& operator=(const COleInitialization&) = delete;

    bool Succeeded() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};
