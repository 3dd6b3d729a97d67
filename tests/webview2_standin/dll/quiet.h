#pragma once

// What the runtime does about sound, visibility, suspension, script dialogs and the
// host's own --edge-webview-switches (see the README for the reference each follows).

#include <string>

#include "com.h"
#include "stubs.h"

namespace standin {

// The value of an --edge-webview-switches=... argument on the host's command line, which
// the runtime appends to the browser's arguments after the host's own; empty without one.
std::string host_webview_switches();

// The arguments of one ScriptDialogOpening, raised only while default dialogs are off:
// its kind, and whether a handler accepted it.
class ScriptDialogArgs final : public Com<ICoreWebView2ScriptDialogOpeningEventArgsStub> {
public:
    explicit ScriptDialogArgs(std::string kind)
        : Com({IID_ICoreWebView2ScriptDialogOpeningEventArgs}), kind_(std::move(kind)) {}
    HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) override;
    HRESULT STDMETHODCALLTYPE Accept() override {
        accepted_ = true;
        return S_OK;
    }
    bool accepted() const { return accepted_; }

private:
    std::string kind_;
    bool accepted_ = false;
};

}  // namespace standin
