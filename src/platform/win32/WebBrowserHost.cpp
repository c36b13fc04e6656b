#include "platform/win32/WebBrowserHost.h"

// ole2.h first: the browser headers build on it.
#include <ole2.h>
//
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ocidl.h>

#include <atomic>

#include "platform/win32/WideText.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::platform {
namespace {

// Releases a COM pointer when it goes.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() { Reset(); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;

  T** Out() {
    Reset();
    return &pointer_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* operator->() const { return pointer_; }
  T* get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  void Reset() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::string& utf8) : value_(SysAllocString(Wide(utf8).c_str())) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* Out() { return &value_; }
  std::string Utf8() const {
    if (value_ == nullptr) return {};
    return text::Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(value_), SysStringLen(value_)));
  }

 private:
  BSTR value_ = nullptr;
};

// The page engine's document (mshtml); the import library lacks its id.
constexpr CLSID kHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

[[noreturn]] void Fail(const char* what, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  throw Error(std::string("Der eingebettete Browser: ") + what + " ist fehlgeschlagen (" + code + ").");
}

}  // namespace

// The container side of the control: everything the browser asks of the
// window it lives in, and the receiver of its events.
class WebBrowserHost::Site final : public IOleClientSite,
                                   public IOleInPlaceSite,
                                   public IOleInPlaceFrame,
                                   public IDispatch {
 public:
  Site(HWND parent, const RECT& area, Events events)
      : parent_(parent), area_(area), events_(std::move(events)) {}

  void Create() {
    // The control comes without a page engine where the system has none
    // (Wine without one): it would stay empty. Asking for the engine first
    // tells.
    Com<IUnknown> engine;
    HRESULT result =
        CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, engine.OutVoid());
    if (FAILED(result)) Fail("CoCreateInstance(HTMLDocument)", result);
    engine.Reset();
    result =
        CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.OutVoid());
    if (FAILED(result)) Fail("CoCreateInstance(WebBrowser)", result);
    if (FAILED(result = object_->SetClientSite(this))) Fail("SetClientSite", result);
    OleSetContainedObject(object_.get(), TRUE);
    if (FAILED(result = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &area_)))
      Fail("DoVerb(INPLACEACTIVATE)", result);
    if (FAILED(result = object_->QueryInterface(IID_IWebBrowser2, browser_.OutVoid())))
      Fail("QueryInterface(IWebBrowser2)", result);
    browser_->put_Silent(VARIANT_TRUE);
    Com<IConnectionPointContainer> points;
    if (SUCCEEDED(object_->QueryInterface(IID_IConnectionPointContainer, points.OutVoid())) &&
        SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, events_point_.Out())))
      events_point_->Advise(static_cast<IDispatch*>(this), &cookie_);
  }

  void Destroy() {
    if (events_point_) events_point_->Unadvise(cookie_);
    events_point_.Reset();
    if (browser_) browser_->Stop();
    browser_.Reset();
    active_.Reset();
    if (object_) {
      object_->Close(OLECLOSE_NOSAVE);
      object_->SetClientSite(nullptr);
    }
    object_.Reset();
  }

  IWebBrowser2* browser() const { return browser_.get(); }
  IOleInPlaceActiveObject* active() const { return active_.get(); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
      *out = static_cast<IOleInPlaceSite*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame)
      *out = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
      *out = static_cast<IDispatch*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, for the in-place site and the frame alike
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = parent_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    *position = area_;
    *clip = area_;
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return E_NOTIMPL; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
    active_.Reset();
    if (active != nullptr) {
      active->AddRef();
      *active_.Out() = active;
    }
    return S_OK;
  }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch: the browser's events
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    switch (id) {
      case DISPID_DOWNLOADBEGIN:
        if (events_.busy) events_.busy();
        break;
      case DISPID_DOWNLOADCOMPLETE:
      case DISPID_NAVIGATECOMPLETE2: {
        VARIANT_BOOL busy = VARIANT_FALSE;
        if (browser_ && SUCCEEDED(browser_->get_Busy(&busy)) && busy == VARIANT_FALSE && events_.idle)
          events_.idle();
        break;
      }
      case DISPID_DOCUMENTCOMPLETE:
        if (events_.document) events_.document();
        break;
    }
    return S_OK;
  }

 private:
  ~Site() = default;

  HWND parent_;
  RECT area_;
  Events events_;
  std::atomic<ULONG> references_{1};
  Com<IOleObject> object_;
  Com<IWebBrowser2> browser_;
  Com<IOleInPlaceActiveObject> active_;
  Com<IConnectionPoint> events_point_;
  DWORD cookie_ = 0;
};

WebBrowserHost::WebBrowserHost(HWND parent, const RECT& area, Events events)
    : site_(new Site(parent, area, std::move(events))) {
  try {
    site_->Create();
  } catch (...) {
    site_->Destroy();
    site_->Release();
    throw;
  }
}

WebBrowserHost::~WebBrowserHost() {
  site_->Destroy();
  site_->Release();
}

void WebBrowserHost::Navigate(const std::string& url) {
  VARIANT address;
  VariantInit(&address);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(Wide(url).c_str());
  VARIANT empty;
  VariantInit(&empty);
  const HRESULT result = site_->browser()->Navigate2(&address, &empty, &empty, &empty, &empty);
  VariantClear(&address);
  if (FAILED(result)) Fail("Navigate2", result);
}

void WebBrowserHost::SetElementValue(const std::string& id, const std::string& value) {
  Com<IDispatch> document;
  Com<IHTMLDocument3> html;
  Com<IHTMLElement> element;
  Bstr element_id(id);
  if (FAILED(site_->browser()->get_Document(document.Out())) || !document ||
      FAILED(document->QueryInterface(IID_IHTMLDocument3, html.OutVoid())) ||
      FAILED(html->getElementById(element_id.get(), element.Out())) || !element)
    return;
  Bstr name("value");
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(Wide(value).c_str());
  element->setAttribute(name.get(), text, 0);
  VariantClear(&text);
}

std::string WebBrowserHost::PageText() {
  Com<IDispatch> document;
  Com<IHTMLDocument2> html;
  Com<IHTMLElement> body;
  if (FAILED(site_->browser()->get_Document(document.Out())) || !document ||
      FAILED(document->QueryInterface(IID_IHTMLDocument2, html.OutVoid())) ||
      FAILED(html->get_body(body.Out())) || !body)
    return {};
  Bstr text;
  if (FAILED(body->get_innerText(text.Out()))) return {};
  return text.Utf8();
}

bool WebBrowserHost::TranslateAccelerator(MSG& message) {
  IOleInPlaceActiveObject* active = site_->active();
  return active != nullptr && message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST &&
         active->TranslateAccelerator(&message) == S_OK;
}

}  // namespace kanvio::platform
