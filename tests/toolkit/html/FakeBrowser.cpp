#include "tests/toolkit/html/FakeBrowser.h"

#include <mshtmhst.h>

#include "toolkit/html/HtmlHost.h"

namespace brx::test {

const CLSID CLSID_FakeBrowser = {0x5B7E3A10, 0x2C44, 0x4F6B, {0x9E, 0x1D, 0x7A, 0x3C, 0x2B, 0x1F, 0x0E, 0x55}};

FakeBrowserLog& Browser() {
    static FakeBrowserLog log;
    return log;
}

namespace {

class CRefCounted {
protected:
    LONG m_ref = 1;
};

class CFakeDocument : public IDispatch, public IPersistStreamInit, CRefCounted {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
        if (iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG r = --m_ref;
        if (!r) delete this;
        return static_cast<ULONG>(r);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override {
        char buffer[256];
        ULONG read = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0)
            Browser().loaded.append(buffer, read);
        return S_OK;
    }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override {
        ++Browser().initNew;
        return Browser().initNewAnswer;
    }
};

class CFakeBrowser : public COleObjectBase, public IDispatch, CRefCounted {
public:
    CFakeBrowser() { Browser().browser = this; }
    ~CFakeBrowser() {
        if (Browser().browser == this) Browser().browser = nullptr;
        if (m_document) {
            if (Browser().document == m_document) Browser().document = nullptr;
            m_document->Release();
        }
        if (m_site) m_site->Release();
    }
    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown) *out = static_cast<IOleObject*>(this);
        if (iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
        if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG r = --m_ref;
        if (!r) delete this;
        return static_cast<ULONG>(r);
    }
    // IOleObject: what the container calls.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (m_site) m_site->Release();
        m_site = site;
        if (!site) return S_OK;
        site->AddRef();
        IDocHostUIHandler* handler = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)))) {
            FakeBrowserLog& log = Browser();
            log.hostHandler = true;
            DOCHOSTUIINFO info{};
            info.cbSize = sizeof(info);
            handler->GetHostInfo(&info);
            log.hostFlags = info.dwFlags;
            LPOLESTR key = nullptr;
            if (SUCCEEDED(handler->GetOptionKeyPath(&key, 0)) && key) {
                log.optionKey = key;
                ::CoTaskMemFree(key);
            }
            IDispatch* external = nullptr;
            if (SUCCEEDED(handler->GetExternal(&external)) && external) {
                log.external = external;
                external->Release();
            }
            handler->Release();
        }
        return S_OK;
    }
    STDMETHODIMP Close(DWORD) override { return S_OK; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override {
        *id = CLSID_FakeBrowser;
        return S_OK;
    }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = 0;
        return S_OK;
    }
    // IDispatch: the browser's members by DISPID.
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        switch (id) {
        case DISPID_BROWSER_NAVIGATE2: {
            // Arguments arrive reversed: the URL is the last one.
            if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
            const VARIANT& url = params->rgvarg[params->cArgs - 1];
            Browser().navigations.push_back(url.vt == VT_BSTR && url.bstrVal ? url.bstrVal : L"?");
            return S_OK;
        }
        case DISPID_BROWSER_DOCUMENT:
            if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
            if (!m_document) {
                m_document = new CFakeDocument;
                Browser().document = m_document;
            }
            result->vt = VT_DISPATCH;
            result->pdispVal = m_document;
            m_document->AddRef();
            return S_OK;
        case DISPID_BROWSER_REGISTERASDROPTARGET:
            if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->rgvarg[0].vt == VT_BOOL)
                Browser().dropTarget.push_back(params->rgvarg[0].boolVal != VARIANT_FALSE);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    CFakeDocument* m_document = nullptr;
};

CClassFactoryOf<CFakeBrowser> g_factory;

} // namespace

CFakeBrowserRegistration::CFakeBrowserRegistration() : CClassRegistration(CLSID_FakeBrowser, &g_factory) {}

} // namespace brx::test
