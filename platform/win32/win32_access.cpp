// Items for assistive technology on Win32 (Active Accessibility). A window
// with items answers WM_GETOBJECT for its client area with an IAccessible
// whose simple children (ids 1..n) are the items, named and placed as the
// program described them; everything about the client area itself is the
// system's standard object's. The window's title names it through the
// system's own window object.

#include "platform/win32/win32_access.h"

#include <oleacc.h>

#include <string>

#include "platform/access.h"
#include "platform/win32/win32_scale.h"
#include "platform/win32/win32_window_record.h"

namespace {

bool IsItem(const PlatformWindowRecord* record, const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal >= 1 && child.lVal <= static_cast<LONG>(record->accessItems.size());
}

const Win32AccessItem& ItemOf(const PlatformWindowRecord* record, const VARIANT& child) {
  return record->accessItems[static_cast<size_t>(child.lVal - 1)];
}

BSTR Text(const std::string& latin1) {
  std::wstring wide;
  for (const unsigned char c : latin1) wide.push_back(static_cast<wchar_t>(c));
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

VARIANT ChildVariant(LONG id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

class ClientAccessible final : public IAccessible {
 public:
  ClientAccessible(PlatformWindowRecord* record, IAccessible* standard) : record_(record), standard_(standard) {}
  ~ClientAccessible() {
    if (standard_) standard_->Release();
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: not offered; readers use the interface itself.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_ ? standard_->get_accParent(parent) : Ownget_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = Alive() ? static_cast<LONG>(record_->accessItems.size()) : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Items are simple elements: the parent answers for them.
    return Alive() && IsItem(record_, child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    if (!Alive() || !IsItem(record_, child)) return standard_ ? standard_->get_accName(child, name) : Ownget_accName(child, name);
    *name = Text(ItemOf(record_, child).name);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (Alive() && IsItem(record_, child)) {
      *value = nullptr;
      return S_FALSE;
    }
    return standard_ ? standard_->get_accValue(child, value) : Ownget_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    if (Alive() && IsItem(record_, child)) {
      *text = nullptr;
      return S_FALSE;
    }
    return standard_ ? standard_->get_accDescription(child, text) : Ownget_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    if (!Alive() || !IsItem(record_, child)) return standard_ ? standard_->get_accRole(child, role) : Ownget_accRole(child, role);
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = ItemOf(record_, child).button ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_LISTITEM;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    if (!Alive() || !IsItem(record_, child)) return standard_ ? standard_->get_accState(child, state) : Ownget_accState(child, state);
    VariantInit(state);
    state->vt = VT_I4;
    state->lVal = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (record_->accessFocus == child.lVal - 1) {
      state->lVal |= STATE_SYSTEM_SELECTED;
      if (GetFocus() == record_->hwnd) state->lVal |= STATE_SYSTEM_FOCUSED;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return standard_ ? standard_->get_accHelp(child, help) : Ownget_accHelp(child, help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_ ? standard_->get_accHelpTopic(file, child, topic) : Ownget_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
    return standard_ ? standard_->get_accKeyboardShortcut(child, keys) : Ownget_accKeyboardShortcut(child, keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    if (Alive() && GetFocus() == record_->hwnd && record_->accessFocus >= 0) {
      *focus = ChildVariant(record_->accessFocus + 1);
      return S_OK;
    }
    return standard_ ? standard_->get_accFocus(focus) : Ownget_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    if (Alive() && record_->accessFocus >= 0) *selection = ChildVariant(record_->accessFocus + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_ ? standard_->get_accDefaultAction(child, action) : Ownget_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return standard_ ? standard_->accSelect(flags, child) : OwnaccSelect(flags, child); }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    if (!Alive() || !IsItem(record_, child)) return standard_ ? standard_->accLocation(left, top, width, height, child) : OwnaccLocation(left, top, width, height, child);
    RECT r = Win32DeviceRect(ItemOf(record_, child).rect);
    MapWindowPoints(record_->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    VariantInit(end);
    if (!Alive()) return E_FAIL;
    const LONG count = static_cast<LONG>(record_->accessItems.size());
    LONG to = 0;
    if (start.vt == VT_I4 && start.lVal == CHILDID_SELF) {
      if (direction == NAVDIR_FIRSTCHILD) to = 1;
      if (direction == NAVDIR_LASTCHILD) to = count;
      if (to == 0) return standard_ ? standard_->accNavigate(direction, start, end) : OwnaccNavigate(direction, start, end);
    } else if (IsItem(record_, start)) {
      if (direction == NAVDIR_NEXT) to = start.lVal + 1;
      if (direction == NAVDIR_PREVIOUS) to = start.lVal - 1;
    }
    if (to < 1 || to > count) return S_FALSE;
    *end = ChildVariant(to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* at) override {
    if (!at) return E_POINTER;
    if (Alive()) {
      POINT p = {x, y};
      ScreenToClient(record_->hwnd, &p);
      const POINT logical = {Win32ToLogical(p.x), Win32ToLogical(p.y)};
      for (size_t i = 0; i < record_->accessItems.size(); ++i) {
        if (PtInRect(&record_->accessItems[i].rect, logical)) {
          *at = ChildVariant(static_cast<LONG>(i) + 1);
          return S_OK;
        }
      }
    }
    return standard_ ? standard_->accHitTest(x, y, at) : OwnaccHitTest(x, y, at);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard_ ? standard_->accDoDefaultAction(child) : OwnaccDoDefaultAction(child); }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }


  // The client area itself where the system offers no standard object
  // (some implementations of the interfaces): named by the window's title.
  bool Self(const VARIANT& child) const { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
  HRESULT Ownget_accParent(IDispatch** parent) {
    *parent = nullptr;
    return S_FALSE;
  }
  HRESULT Ownget_accName(VARIANT child, BSTR* name) {
    if (!Self(child) || !Alive()) return E_INVALIDARG;
    char title[256] = {};
    GetWindowTextA(record_->hwnd, title, sizeof title);
    *name = Text(title);
    return S_OK;
  }
  HRESULT Ownget_accValue(VARIANT, BSTR* value) {
    *value = nullptr;
    return S_FALSE;
  }
  HRESULT Ownget_accDescription(VARIANT, BSTR* text) {
    *text = nullptr;
    return S_FALSE;
  }
  HRESULT Ownget_accRole(VARIANT child, VARIANT* role) {
    if (!Self(child)) return E_INVALIDARG;
    *role = ChildVariant(ROLE_SYSTEM_CLIENT);
    return S_OK;
  }
  HRESULT Ownget_accState(VARIANT child, VARIANT* state) {
    if (!Self(child) || !Alive()) return E_INVALIDARG;
    *state = ChildVariant(STATE_SYSTEM_FOCUSABLE | (GetFocus() == record_->hwnd ? STATE_SYSTEM_FOCUSED : 0));
    return S_OK;
  }
  HRESULT Ownget_accHelp(VARIANT, BSTR* help) {
    *help = nullptr;
    return S_FALSE;
  }
  HRESULT Ownget_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
    *file = nullptr;
    *topic = -1;
    return S_FALSE;
  }
  HRESULT Ownget_accKeyboardShortcut(VARIANT, BSTR* keys) {
    *keys = nullptr;
    return S_FALSE;
  }
  HRESULT Ownget_accFocus(VARIANT* focus) {
    VariantInit(focus);
    if (Alive() && GetFocus() == record_->hwnd) *focus = ChildVariant(CHILDID_SELF);
    return S_OK;
  }
  HRESULT Ownget_accDefaultAction(VARIANT, BSTR* action) {
    *action = nullptr;
    return S_FALSE;
  }
  HRESULT OwnaccSelect(long, VARIANT) { return S_FALSE; }
  HRESULT OwnaccLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!Self(child) || !Alive()) return E_INVALIDARG;
    RECT r;
    GetClientRect(record_->hwnd, &r);
    MapWindowPoints(record_->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT OwnaccNavigate(long, VARIANT, VARIANT* end) {
    VariantInit(end);
    return S_FALSE;
  }
  HRESULT OwnaccHitTest(LONG x, LONG y, VARIANT* at) {
    VariantInit(at);
    if (!Alive()) return S_FALSE;
    RECT r;
    GetClientRect(record_->hwnd, &r);
    MapWindowPoints(record_->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    if (!PtInRect(&r, POINT{x, y})) return S_FALSE;
    *at = ChildVariant(CHILDID_SELF);
    return S_OK;
  }
  HRESULT OwnaccDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }
 private:
  // The window may go while a reader still holds the object.
  bool Alive() const { return Win32Live(record_) != nullptr; }

  PlatformWindowRecord* record_;
  IAccessible* standard_;  // the system's client object, or nullptr
  long references_ = 1;
};

PlatformWindowRecord* Live(PlatformWindow window) { return Win32Live(window); }

}  // namespace

IAccessible* Win32ClientAccessible(PlatformWindowRecord* record) {
  if (!Win32Live(record) || record->accessItems.empty()) return nullptr;
  IAccessible* standard = nullptr;
  if (FAILED(CreateStdAccessibleObject(record->hwnd, OBJID_CLIENT, IID_IAccessible,
                                       reinterpret_cast<void**>(&standard)))) {
    standard = nullptr;
  }
  return new ClientAccessible(record, standard);
}

bool Win32AnswerGetObject(PlatformWindowRecord* record, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return false;
  IAccessible* object = Win32ClientAccessible(record);
  if (!object) return false;
  *result = LresultFromObject(IID_IAccessible, wParam, object);
  object->Release();
  return true;
}

void PlatformWindowSetAccessItems(PlatformWindow window, const PlatformAccessItem* items, int32_t count) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  record->accessItems.clear();
  for (int32_t i = 0; items && i < count; ++i) {
    const PlatformRect& r = items[i].rect;
    record->accessItems.push_back({RECT{r.left, r.top, r.right, r.bottom}, items[i].name ? items[i].name : "",
                                   items[i].role == kPlatformAccessButton});
  }
  if (record->accessFocus >= static_cast<int>(record->accessItems.size())) record->accessFocus = -1;
  NotifyWinEvent(EVENT_OBJECT_REORDER, record->hwnd, OBJID_CLIENT, CHILDID_SELF);
}

void PlatformWindowSetAccessFocus(PlatformWindow window, int32_t index) {
  PlatformWindowRecord* record = Live(window);
  if (!record) return;
  record->accessFocus = index;
  if (index >= 0 && GetFocus() == record->hwnd) {
    NotifyWinEvent(EVENT_OBJECT_FOCUS, record->hwnd, OBJID_CLIENT, index + 1);
  }
}
