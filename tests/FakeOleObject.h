// What the in-process test objects (our ActiveX control and the stand-in web
// browser) share: the IOleObject calls a container makes but the tests do not
// look at, answered as a plain object answers them; the client site they keep;
// a class factory for one class; and its registration for this process.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace brx::test {

// The object itself answers SetClientSite, Close, DoVerb, GetUserClassID,
// SetExtent and GetMiscStatus, and releases the site it keeps.
class COleObjectBase : public IOleObject {
public:
    STDMETHODIMP GetClientSite(IOleClientSite** out) override {
        *out = m_site;
        if (m_site) m_site->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

protected:
    IOleClientSite* m_site = nullptr;
};

// Makes objects of class T (an IOleObject, created with one reference).
template <class T>
class CClassFactoryOf final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IOleObject* object = new T;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// Registers a class factory for this process; the object unregisters it.
class CClassRegistration {
public:
    CClassRegistration(REFCLSID clsid, IClassFactory* factory) {
        if (FAILED(::CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie)))
            m_cookie = 0;
    }
    ~CClassRegistration() {
        if (m_cookie) ::CoRevokeClassObject(m_cookie);
    }
    CClassRegistration(const CClassRegistration&) = delete;
    CClassRegistration& operator=(const CClassRegistration&) = delete;
    bool Ok() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};

} // namespace brx::test
