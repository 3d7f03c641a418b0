// The one COM interface pointer of the program: holds one reference and
// releases it; copies add a reference. &ptr releases the old interface and
// hands out the slot for a call that returns a new one.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace brx {

template <class T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit CComPtr(T* p) : m_p(p) {
        if (m_p) m_p->AddRef();
    }
    CComPtr(const CComPtr& o) : CComPtr(o.m_p) {}
    CComPtr(CComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~CComPtr() { Release(); }
    CComPtr& operator=(const CComPtr& o) {
        if (o.m_p) o.m_p->AddRef();
        Release();
        m_p = o.m_p;
        return *this;
    }
    CComPtr& operator=(CComPtr&& o) noexcept {
        if (this != &o) {
            Release();
            m_p = std::exchange(o.m_p, nullptr);
        }
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T** operator&() {
        Release();
        return &m_p;
    }

    // Takes over a reference the caller owns / gives the reference away.
    void Attach(T* p) {
        Release();
        m_p = p;
    }
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Release() {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    // Asks the held object for another interface.
    template <class Q>
    HRESULT QueryInterface(REFIID iid, CComPtr<Q>& out) const {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, reinterpret_cast<void**>(&out));
    }

private:
    T* m_p = nullptr;
};

} // namespace brx
