#include "framework/web_host_win.h"

#include <ole2.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>

#include "framework/com_ptr_win.h"
#include "framework/native_children_win.h"
#include "framework/ui_thread.h"
#include "platform/result.h"

namespace qv::framework {

namespace {

constexpr wchar_t kHostClass[] = L"QvWebHost";

int g_liveSites = 0;

// The host side of one embedded browser, as the browser sees it. One object answers every
// interface the browser asks its container for; its IDispatch doubles as the ambient-property
// source and the sink of the browser's events. Once the host window goes it is detached: it
// stays a valid COM object for as long as the browser keeps a reference, but reports nothing.
//
// COM interfaces have no virtual destructors by design: only Release deletes the object.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class WebSite final : public IOleClientSite,
                      public IOleInPlaceSite,
                      public IOleInPlaceFrame,
                      public IDocHostUIHandler,
                      public IDispatch {
 public:
  WebSite(HWND window, WebLoadedCallback onLoaded)
      : window_(window), onLoaded_(std::move(onLoaded)) {
    ++g_liveSites;
  }
  WebSite(const WebSite&) = delete;
  WebSite& operator=(const WebSite&) = delete;

  // The browser's identity, to tell the top-level document from its frames.
  void setBrowser(IUnknown* identity) { browser_ = identity; }
  void detach() {
    onLoaded_ = nullptr;
    browser_ = nullptr;
    window_ = nullptr;
  }
  IOleClientSite* clientSite() { return this; }
  IDispatch* dispatch() { return this; }

  // ---- IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IDocHostUIHandler) {
      *out = static_cast<IDocHostUIHandler*>(this);
    } else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
      *out = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) {
      --g_liveSites;
      delete this;
    }
    return left;
  }

  // ---- IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // ---- IOleWindow (the site's and the frame's: both are the host window)
  STDMETHODIMP GetWindow(HWND* out) override {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // ---- IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos,
                                RECT* clip, OLEINPLACEFRAMEINFO* info) override {
    if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *doc = nullptr;
    RECT rc{};
    if (window_) GetClientRect(window_, &rc);
    *pos = rc;
    *clip = rc;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_ ? GetAncestor(window_, GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }  // the slot decides the size

  // ---- IOleInPlaceUIWindow, IOleInPlaceFrame: no tool bars, menus or status bar to share
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }  // frame's and UI handler's
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // ---- IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
    return S_OK;  // shown by us: that is, none (no "View Source", no "Refresh" of a local page)
  }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    if (!info) return E_POINTER;
    // No sunken border inside the skin's own; themed form controls; the page scaled to the
    // window's DPI. The scroll bars are left to the page.
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_DPI_AWARE;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_OK;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    if (key) *key = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetExternal(IDispatch** out) override {
    if (out) *out = nullptr;
    return S_FALSE;  // the page gets no window.external of ours
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  // ---- IDispatch: ambient properties and DWebBrowserEvents2
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (id == DISPID_AMBIENT_DLCONTROL && (flags & DISPATCH_PROPERTYGET) && result) {
      // Pages are the program's own, built from backup content: pictures yes, plug-ins no.
      VariantInit(result);
      result->vt = VT_I4;
      result->lVal = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_NO_JAVA |
                     DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_RUNACTIVEXCTLS;
      return S_OK;
    }
    if (id == DISPID_DOCUMENTCOMPLETE && params) documentComplete(*params);
    return id == DISPID_DOCUMENTCOMPLETE ? S_OK : DISP_E_MEMBERNOTFOUND;
  }

 private:
  ~WebSite() = default;

  // DocumentComplete(IDispatch* frame, VARIANT* url): arguments arrive last first. Frames of a
  // page report their own; only the browser's own document is the page.
  void documentComplete(const DISPPARAMS& params) {
    if (!onLoaded_ || !browser_ || params.cArgs < 2 || !params.rgvarg) return;
    const VARIANT& frame = params.rgvarg[1];
    if (frame.vt != VT_DISPATCH || !frame.pdispVal) return;
    ComPtr<IUnknown> identity;
    if (FAILED(frame.pdispVal->QueryInterface(IID_IUnknown, identity.putVoid())) ||
        identity.get() != browser_) {
      return;
    }
    const VARIANT* url = &params.rgvarg[0];
    if (url->vt == (VT_BYREF | VT_VARIANT) && url->pvarVal) url = url->pvarVal;
    std::wstring text;
    if (url->vt == VT_BSTR && url->bstrVal) text.assign(url->bstrVal, SysStringLen(url->bstrVal));
    WebLoadedCallback notify = onLoaded_;  // the receiver may take the host down
    notify(text);
  }

  ULONG refs_ = 1;
  HWND window_;
  WebLoadedCallback onLoaded_;
  IUnknown* browser_ = nullptr;  // compared only, never called
};
#pragma GCC diagnostic pop

// What a host window holds: the site (its own reference) and the browser's interfaces.
struct HostState {
  ComPtr<WebSite> site;
  ComPtr<IOleObject> object;
  ComPtr<IWebBrowser2> browser;
  ComPtr<IOleInPlaceObject> inPlace;
  ComPtr<IConnectionPoint> events;
  DWORD cookie = 0;
};

HostState* stateOf(HWND h) {
  if (!isWebHost(h)) return nullptr;
  return reinterpret_cast<HostState*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

HostState* browserOf(HWND h) {
  checkUiThread("web browser host");
  HostState* s = stateOf(h);
  return s && s->browser ? s : nullptr;
}

// Embeds the browser in its window: created, given the site, activated in place over the
// window's client area, and its events connected to the site.
HRESULT embed(HWND h, HostState& s, WebLoadedCallback onLoaded) {
  HRESULT hr = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                s.object.putVoid());
  if (FAILED(hr)) return hr;
  s.site = ComPtr<WebSite>::adopt(new WebSite(h, std::move(onLoaded)));
  if (FAILED(hr = s.object->SetClientSite(s.site->clientSite()))) return hr;
  OleSetContainedObject(s.object.get(), TRUE);
  RECT rc;
  GetClientRect(h, &rc);
  hr = s.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, s.site->clientSite(), 0, h, &rc);
  if (FAILED(hr)) return hr;
  if (FAILED(hr = s.object.as(IID_IWebBrowser2, &s.browser))) return hr;
  s.object.as(IID_IOleInPlaceObject, &s.inPlace);
  ComPtr<IUnknown> identity;
  s.object.as(IID_IUnknown, &identity);
  s.site->setBrowser(identity.get());
  // Without events the page still shows; only "navigatecomplete" is missing.
  ComPtr<IConnectionPointContainer> points;
  if (SUCCEEDED(s.object.as(IID_IConnectionPointContainer, &points)) &&
      SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, s.events.put())) &&
      FAILED(s.events->Advise(s.site->dispatch(), &s.cookie))) {
    s.events.reset();
  }
  return S_OK;
}

// The reverse of embed, in the order the browser expects: no more events, out of place, closed,
// the site taken back. Each interface is released as its owner goes.
void teardown(HostState& s) {
  if (s.events) s.events->Unadvise(s.cookie);
  s.events.reset();
  if (s.site) s.site->detach();
  if (s.inPlace) s.inPlace->InPlaceDeactivate();
  s.inPlace.reset();
  s.browser.reset();
  if (s.object) {
    s.object->Close(OLECLOSE_NOSAVE);
    s.object->SetClientSite(nullptr);
  }
  s.object.reset();
  s.site.reset();
}

LRESULT CALLBACK hostProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto* s = reinterpret_cast<HostState*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  switch (msg) {
    case WM_SIZE:
      if (s && s->inPlace) {
        RECT rc{0, 0, LOWORD(l), HIWORD(l)};
        s->inPlace->SetObjectRects(&rc, &rc);
      }
      return 0;
    case WM_SETFOCUS:
      // The focus belongs to the page, in the browser's own window inside this one.
      if (HWND inner = GetWindow(h, GW_CHILD)) SetFocus(inner);
      return 0;
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(h, &rc);
      FillRect(reinterpret_cast<HDC>(w), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      return 1;
    }
    case WM_DESTROY:
      // The browser's windows still exist here: it deactivates while it can.
      if (s) teardown(*s);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      delete s;
      break;
    default:
      break;
  }
  return DefWindowProcW(h, msg, w, l);
}

void registerHostClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &hostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostClass;
  done = RegisterClassExW(&wc) != 0;
}

int execCommand(HWND h, OLECMDID command, OLECMDEXECOPT option) {
  HostState* s = browserOf(h);
  if (!s) return kErrInvalidHandle;
  // A browser without a document, or without an engine to print it, disables the command.
  OLECMDF status{};
  if (FAILED(s->browser->QueryStatusWB(command, &status)) || !(status & OLECMDF_ENABLED)) {
    return kErrNotSupported;
  }
  return SUCCEEDED(s->browser->ExecWB(command, option, nullptr, nullptr)) ? kOk : kInvalid;
}

// Frees what a failed script call may have left in its exception record.
void clearException(EXCEPINFO& e) {
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrHelpFile);
}

}  // namespace

HWND createWebHost(HWND parent, WebLoadedCallback onLoaded) {
  checkUiThread("createWebHost");
  registerHostClass();
  HWND h = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                           0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!h) return nullptr;
  auto* state = new HostState;
  SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  if (FAILED(embed(h, *state, std::move(onLoaded)))) {
    DestroyWindow(h);  // tears down what embed got as far as
    return nullptr;
  }
  return h;
}

bool isWebHost(HWND h) {
  if (!h || !IsWindow(h)) return false;
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  return lstrcmpW(cls, kHostClass) == 0;
}

int webNavigate(HWND h, const std::wstring& url) {
  HostState* s = browserOf(h);
  if (!s) return kErrInvalidHandle;
  Bstr address(url);
  if (!address.get()) return kErrNotEnoughMemory;
  VARIANT none;
  VariantInit(&none);
  HRESULT hr = s->browser->Navigate(address.get(), &none, &none, &none, &none);
  return SUCCEEDED(hr) ? kOk : kInvalid;
}

int webPrint(HWND h, bool showDialog) {
  return execCommand(h, OLECMDID_PRINT,
                     showDialog ? OLECMDEXECOPT_PROMPTUSER : OLECMDEXECOPT_DONTPROMPTUSER);
}

int webPrintPreview(HWND h) {
  return execCommand(h, OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT);
}

int webCallScript(HWND h, const std::wstring& function, const std::vector<std::wstring>& args,
                  std::wstring* result) {
  if (result) result->clear();
  HostState* s = browserOf(h);
  if (!s) return kErrInvalidHandle;
  // The page's script engine: document -> script object -> the function's id.
  ComPtr<IDispatch> document;
  ComPtr<IHTMLDocument2> html;
  ComPtr<IDispatch> script;
  if (FAILED(s->browser->get_Document(document.put())) || !document ||
      FAILED(document.as(IID_IHTMLDocument2, &html)) || FAILED(html->get_Script(script.put())) ||
      !script) {
    return kErrNotSupported;
  }
  Bstr name(function);
  LPOLESTR names[] = {name.get()};
  DISPID id = DISPID_UNKNOWN;
  if (!name.get() || FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
    return kErrNotSupported;
  }
  // Arguments go in last first.
  std::vector<VARIANT> argv(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    VARIANT& v = argv[args.size() - 1 - i];
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(args[i].data(), static_cast<UINT>(args[i].size()));
  }
  DISPPARAMS params{argv.data(), nullptr, static_cast<UINT>(argv.size()), 0};
  VARIANT ret;
  VariantInit(&ret);
  EXCEPINFO exception{};
  UINT badArg = 0;
  HRESULT hr = script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &ret,
                              &exception, &badArg);
  for (VARIANT& v : argv) VariantClear(&v);
  clearException(exception);
  if (SUCCEEDED(hr) && result && ret.vt != VT_EMPTY && ret.vt != VT_NULL &&
      SUCCEEDED(VariantChangeType(&ret, &ret, 0, VT_BSTR)) && ret.bstrVal) {
    result->assign(ret.bstrVal, SysStringLen(ret.bstrVal));
  }
  VariantClear(&ret);
  return SUCCEEDED(hr) ? kOk : kInvalid;
}

IUnknown* webBrowserObject(HWND h) {
  HostState* s = browserOf(h);
  if (!s) return nullptr;
  s->browser->AddRef();
  return s->browser.get();
}

bool translateWebAccelerator(MSG* msg) {
  if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  HWND host = msg->hwnd;
  while (host && !isWebHost(host) && (GetWindowLongPtrW(host, GWL_STYLE) & WS_CHILD)) {
    host = GetParent(host);
  }
  HostState* s = isWebHost(host) ? stateOf(host) : nullptr;
  if (!s || !s->browser) return false;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
    // Escape in the page is Escape on the window, as in the window's edit boxes.
    PostMessageW(GetParent(host), kForwardedKey, VK_ESCAPE, 0);
    return true;
  }
  ComPtr<IOleInPlaceActiveObject> active;
  return SUCCEEDED(s->browser.as(IID_IOleInPlaceActiveObject, &active)) &&
         active->TranslateAccelerator(msg) == S_OK;
}

int liveWebSites() {
  return g_liveSites;
}

}  // namespace qv::framework
