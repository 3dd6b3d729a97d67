#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/folder/wallpaper_folder.h"
#include "core/web/asset_protocol.h"
#include "core/web/bridge_flags.h"
#include "core/web/page_message_budget.h"
#include "core/web/readiness.h"
#include "core/web/state_push.h"

namespace wallpkg {

// Reads the author's folder by the player's rules, every problem at once, as lint does.
using FolderLoader = std::function<core::FolderReport()>;

// One event for the page: what the player would pass to window.__tessaryDispatch.
struct PageEvent {
    std::uint64_t sequence = 0;
    std::string name;
    std::string detail_json;
};

// What the page's poll gets: the events after the one it saw last, or gone when a newer
// document has taken over (a discarded page must not touch its successor).
struct PagePoll {
    bool gone = false;
    std::vector<PageEvent> events;
};

// The player's side of one previewed wallpaper, without the Windows parts: the folder,
// the current document's bridge flags, the readiness limit, the state push, clicks and
// the log. Thread-safe: the server answers requests on several threads.
class PreviewSession {
public:
    using Clock = std::chrono::steady_clock;
    using LogSink = std::function<void(std::string_view line)>;

    PreviewSession(FolderLoader load_folder, LogSink log);

    // Re-reads the folder, as the player does before it plays a wallpaper. On success the
    // first load's id and entry stay the preview's; on failure every problem is logged,
    // the first (the player's) is the folder error, and nothing is served until a later
    // reload succeeds.
    core::Status reload();

    // A new document of the page: fresh bridge flags and load start, nothing pushed yet.
    // Returns the document's number, which its page script names in every request.
    std::uint64_t begin_document(Clock::time_point now);

    // One request of the page, answered by the player's asset handler; a refusal fails the
    // page and is logged as the player logs it.
    core::AssetResponse serve(std::string_view url);

    // A message the document posted through window.ipc, heard within the player's budget.
    void page_message(std::uint64_t document, std::string_view text);
    // A message too long to be read at all: more than the budget allows in a second, so
    // it floods the channel as it would the player's.
    void page_message_unread(std::uint64_t document);

    // What the preview's page script saw go wrong in the document (see page_report.h):
    // logged as the author's problem, with its fix.
    void page_report(std::uint64_t document, std::string_view body);

    // A problem found before any page ran (lint's warnings), shown with the page's own.
    void note_problem(std::string line);

    // Control strip commands.
    void set_paused(bool paused);
    void set_fps(std::uint32_t fps);
    void click(double x, double y);
    void request_reload();

    // The readiness limit and the state push, as the player's tick runs them.
    void tick(Clock::time_point now);

    // Waits up to timeout for events after `after` for the document.
    PagePoll poll_page(std::uint64_t document, std::uint64_t after, std::chrono::milliseconds timeout);

    // The control strip's view as JSON once its revision is past `after` (or after timeout).
    std::string poll_status(std::uint64_t after, std::chrono::milliseconds timeout, Clock::time_point now);

    // The entry's URL path and the id, once a load has succeeded.
    std::optional<std::string> entry() const;
    std::optional<std::string> id() const;

    // Wakes every waiting poll so that the server can stop.
    void shut_down();

private:
    void log(std::string line);
    void problem(std::string line);
    void apply_readiness_limit(Clock::time_point now);
    void tell_if_ready_with_problems();
    void push_state_if_due();
    void queue_event(std::string name, std::string detail_json);
    void changed();

    FolderLoader load_folder_;
    LogSink sink_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::shared_ptr<const core::WallpaperItem> item_;
    std::optional<std::string> folder_error_;
    std::uint64_t document_ = 0;
    core::BridgeFlags flags_;
    std::optional<Clock::time_point> load_start_;
    std::optional<Clock::time_point> ready_at_;
    core::LastPushedState last_pushed_;
    bool user_paused_ = false;
    std::uint32_t fps_setting_ = 0;
    std::optional<std::string> status_;
    std::vector<PageEvent> events_;
    std::uint64_t next_sequence_ = 1;
    std::deque<std::string> messages_;
    // The player's budget for what one page posts; each document gets its own.
    core::PageMessageBudget budget_;
    std::size_t ignored_logged_ = 0;
    // The author's problems: lint's warnings, then the current document's own, each once.
    std::vector<std::string> lint_problems_;
    std::deque<std::string> page_problems_;
    std::set<std::string, std::less<>> reported_;
    bool told_ready_with_problems_ = false;
    std::uint64_t revision_ = 1;
    bool stopping_ = false;
};

}  // namespace wallpkg
