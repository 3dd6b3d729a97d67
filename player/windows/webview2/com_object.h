#pragma once

#include <unknwn.h>

#include <atomic>
#include <exception>
#include <functional>
#include <utility>

#include "player/win32/com_ptr.h"

namespace player::webview2 {

// COM objects are deleted only by their own Release, never through an interface pointer,
// so the interfaces' missing virtual destructors do not matter.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The IUnknown part of every COM object this program implements: one interface, an
// atomic reference count, and no copies or moves (the runtime holds raw pointers).
// The interface id is a template argument, bound at compile time.
template <class Interface, const IID& InterfaceId>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    ComObject(ComObject&&) = delete;
    ComObject& operator=(ComObject&&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, InterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> count_{1};
};

// Creates a COM object and hands its first reference to an owner.
template <class Object, class Interface, class... Args>
win32::com_ptr<Interface> make_com(Args&&... args) {
    return win32::com_ptr<Interface>::adopt(new Object(std::forward<Args>(args)...));
}

// A WebView2 callback: every handler interface has the one method Invoke. The function
// runs on the UI thread; nothing it throws may cross into the runtime.
template <class Interface, const IID& InterfaceId, class... Args>
class Handler final : public ComObject<Interface, InterfaceId> {
public:
    explicit Handler(std::function<HRESULT(Args...)> invoke) : invoke_(std::move(invoke)) {}

    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override {
        try {
            return invoke_(args...);
        } catch (...) {
            return E_FAIL;
        }
    }

    static win32::com_ptr<Interface> make(std::function<HRESULT(Args...)> invoke) {
        return make_com<Handler, Interface>(std::move(invoke));
    }

private:
    std::function<HRESULT(Args...)> invoke_;
};

#pragma GCC diagnostic pop

}  // namespace player::webview2
