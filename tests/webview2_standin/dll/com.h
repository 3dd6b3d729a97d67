#pragma once

#include <windows.h>

#include <WebView2.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace standin {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUnknown for one stub class: QueryInterface answers each of the given interface ids
// (an interface and the bases it extends) with the same object.
template <class Stub>
class Com : public Stub {
public:
    explicit Com(std::initializer_list<IID> ids) : ids_(ids) {}
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        bool known = IsEqualIID(iid, IID_IUnknown);
        for (const IID& id : ids_) known = known || IsEqualIID(iid, id);
        if (!known) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Stub*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return count_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = count_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~Com() = default;

private:
    std::vector<IID> ids_;
    std::atomic<ULONG> count_{1};
};

#pragma GCC diagnostic pop

// An owning COM pointer.
template <class T>
class Ref {
public:
    Ref() = default;
    // Takes over a reference the caller already holds.
    static Ref adopt(T* raw) {
        Ref ref;
        ref.raw_ = raw;
        return ref;
    }
    // Adds a reference of its own.
    static Ref share(T* raw) {
        if (raw != nullptr) raw->AddRef();
        return adopt(raw);
    }
    Ref(const Ref& other) : raw_(other.raw_) {
        if (raw_ != nullptr) raw_->AddRef();
    }
    Ref(Ref&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    Ref& operator=(Ref other) {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~Ref() {
        if (raw_ != nullptr) raw_->Release();
    }
    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    // Hands one reference to an out parameter.
    HRESULT copy_to(T** out) const {
        if (out == nullptr) return E_POINTER;
        *out = raw_;
        if (raw_ != nullptr) raw_->AddRef();
        return S_OK;
    }

private:
    T* raw_ = nullptr;
};

// The handlers registered for one event; add_* hands out a token that remove_* takes
// back. Raising works on a copy, so a handler may remove itself.
template <class Handler>
class EventList {
public:
    HRESULT add(Handler* handler, EventRegistrationToken* token) {
        if (handler == nullptr || token == nullptr) return E_POINTER;
        token->value = next_++;
        entries_.push_back({token->value, Ref<Handler>::share(handler)});
        return S_OK;
    }
    HRESULT remove(EventRegistrationToken token) {
        std::erase_if(entries_, [&](const auto& entry) { return entry.first == token.value; });
        return S_OK;
    }
    template <class... Args>
    void raise(Args... args) const {
        const auto copy = entries_;
        for (const auto& entry : copy) entry.second->Invoke(args...);
    }
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }

private:
    std::vector<std::pair<std::int64_t, Ref<Handler>>> entries_;
    std::int64_t next_ = 1;
};

// A text the caller frees with CoTaskMemFree, as the runtime hands out every string.
HRESULT copy_text(const std::wstring& text, LPWSTR* out);
std::wstring to_wide(const std::string& text);
std::string to_utf8(const std::wstring& text);
// "0x" and eight lower-case hex digits.
std::string hresult_text(HRESULT value);

}  // namespace standin
