#include "tools/wallpkg/preview/preview_session.h"

#include <algorithm>

#include "core/json/json_writer.h"
#include "core/web/dispatch_script.h"
#include "core/web/page_message.h"
#include "core/web/player_state.h"
#include "tools/wallpkg/lint/folder_lint.h"
#include "tools/wallpkg/preview/page_report.h"

namespace wallpkg {
namespace {

// Enough of the log for the control strip; the terminal has all of it.
constexpr std::size_t kKeptMessages = 40;
// A page polls continuously; events it has not fetched are dropped beyond this.
constexpr std::size_t kKeptEvents = 64;
// Not an event of the bridge: the preview's own request that the page reload itself.
constexpr std::string_view kReloadEvent = ".reload";
// A page that fails every frame would fill the terminal: each problem is told once, and
// only so many per document.
constexpr std::size_t kKeptPageProblems = 40;
// Ignored messages are the author's business only until they see the pattern.
constexpr std::size_t kIgnoredMessagesLogged = 10;
constexpr std::size_t kIgnoredMessageShown = 80;
// WebView2 converts no page message longer than the longest the player knows.
constexpr std::size_t kLongestPageMessage = std::max(core::kReadyMessage.size(), core::kAssetErrorMessage.size());

// The length the runtime would count: UTF-16 code units of the UTF-8 text.
std::size_t utf16_length(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

}  // namespace

PreviewSession::PreviewSession(FolderLoader load_folder, LogSink log)
    : load_folder_(std::move(load_folder)), sink_(std::move(log)) {}

core::Status PreviewSession::reload() {
    core::FolderReport loaded = load_folder_();
    const std::lock_guard lock(mutex_);
    if (!loaded.problems.empty() || !loaded.manifest) {
        item_.reset();
        const core::Error first = loaded.problems.empty() ? core::Error("manifest.json could not be read")
                                                          : loaded.problems.front();
        folder_error_ = "error: " + first.chain();
        for (std::string& line : problem_lines(loaded)) log(std::move(line));
        changed();
        return std::unexpected(first);
    }
    if (folder_error_) log("folder passes the rules again");
    folder_error_.reset();
    item_ = std::make_shared<const core::WallpaperItem>(
        core::WallpaperItem{.manifest = std::move(*loaded.manifest), .assets = std::move(loaded.assets)});
    changed();
    return {};
}

std::uint64_t PreviewSession::begin_document(Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    ++document_;
    flags_.ready = false;
    flags_.failed = false;
    load_start_ = now;
    ready_at_.reset();
    last_pushed_.reset();
    status_.reset();
    events_.clear();
    budget_ = {};
    ignored_logged_ = 0;
    page_problems_.clear();
    reported_.clear();
    told_ready_with_problems_ = false;
    log("page loading: document " + std::to_string(document_));
    changed();
    return document_;
}

core::AssetResponse PreviewSession::serve(std::string_view url) {
    std::shared_ptr<const core::WallpaperItem> item;
    {
        const std::lock_guard lock(mutex_);
        item = item_;
    }
    static const core::AssetMap kNothing;
    core::AssetResponse response = core::handle_asset_request(url, item ? item->assets : kNothing);
    if (response.refusal) {
        const std::lock_guard lock(mutex_);
        flags_.failed = true;
        log(response.refusal->log_line);
        changed();
    }
    return response;
}

void PreviewSession::page_message(std::uint64_t document, std::string_view text) {
    const std::lock_guard lock(mutex_);
    if (document != document_ || budget_.exhausted()) return;
    const Clock::time_point now = Clock::now();
    const std::size_t length = utf16_length(text);
    if (!budget_.spend(length, now)) {
        log(std::string(core::kPageMessageFloodLog));
        changed();
        return;
    }
    // A "ready" after the limit is as late here as it is for the player, whatever the tick.
    apply_readiness_limit(now);
    const bool was_ready = flags_.ready;
    const auto line = length <= kLongestPageMessage ? core::apply_page_message(text, flags_) : std::nullopt;
    if (line) {
        log(std::string(*line));
        if (flags_.ready && !was_ready && load_start_) {
            ready_at_ = now;
            tell_if_ready_with_problems();
        }
        push_state_if_due();
    } else if (ignored_logged_ < kIgnoredMessagesLogged) {
        ++ignored_logged_;
        const std::string shown(text.substr(0, kIgnoredMessageShown));
        log("page message ignored: " + core::json_quote(shown) + (text.size() > shown.size() ? "..." : ""));
    }
    changed();
}

void PreviewSession::page_message_unread(std::uint64_t document) {
    const std::lock_guard lock(mutex_);
    if (document != document_ || budget_.exhausted()) return;
    budget_.spend((core::PageMessageBudget::kUnitsPerSecond + 1) * core::PageMessageBudget::kCharactersPerUnit,
                  Clock::now());
    log(std::string(core::kPageMessageFloodLog));
    changed();
}

void PreviewSession::page_report(std::uint64_t document, std::string_view body) {
    const std::lock_guard lock(mutex_);
    if (document != document_ || page_problems_.size() >= kKeptPageProblems) return;
    const auto report = parse_page_report(body);
    if (!report) return;
    static const core::AssetMap kNothing;
    std::string line = explain_page_report(*report, item_ ? item_->assets : kNothing);
    if (!reported_.insert(line).second) return;
    problem(std::move(line));
    if (page_problems_.size() == kKeptPageProblems) log("page: more problems than the preview shows; fix these first");
    changed();
}

void PreviewSession::note_problem(std::string line) {
    const std::lock_guard lock(mutex_);
    lint_problems_.push_back(std::move(line));
    changed();
}

void PreviewSession::set_paused(bool paused) {
    const std::lock_guard lock(mutex_);
    user_paused_ = paused;
    // As the player's pause command: the next push always goes out.
    last_pushed_.reset();
    push_state_if_due();
    changed();
}

void PreviewSession::set_fps(std::uint32_t fps) {
    const std::lock_guard lock(mutex_);
    fps_setting_ = fps;
    push_state_if_due();
    changed();
}

void PreviewSession::click(double x, double y) {
    const std::lock_guard lock(mutex_);
    // The player drops a click unless the page is ready, unfailed and playing.
    if (!flags_.ready || flags_.failed || user_paused_) {
        log("click dropped: the page is not ready and playing");
    } else {
        queue_event(std::string(core::kClickEvent), core::click_detail_json(x, y));
        log("click x=" + std::to_string(x) + " y=" + std::to_string(y));
    }
    changed();
}

void PreviewSession::request_reload() {
    const std::lock_guard lock(mutex_);
    queue_event(std::string(kReloadEvent), "null");
    changed();
}

void PreviewSession::tick(Clock::time_point now) {
    const std::lock_guard lock(mutex_);
    apply_readiness_limit(now);
    push_state_if_due();
}

void PreviewSession::apply_readiness_limit(Clock::time_point now) {
    if (!core::check_readiness_limit(load_start_, flags_, now)) return;
    status_ = std::string(core::kReadinessTimeoutStatus);
    log(std::string(core::kReadinessTimeoutLog));
    changed();
}

PagePoll PreviewSession::poll_page(std::uint64_t document, std::uint64_t after, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto pending = [&] {
        return stopping_ || document != document_ ||
               std::any_of(events_.begin(), events_.end(), [&](const PageEvent& e) { return e.sequence > after; });
    };
    wake_.wait_for(lock, timeout, pending);
    PagePoll poll;
    poll.gone = stopping_ || document != document_;
    if (poll.gone) return poll;
    for (const PageEvent& event : events_) {
        if (event.sequence > after) poll.events.push_back(event);
    }
    return poll;
}

std::string PreviewSession::poll_status(std::uint64_t after, std::chrono::milliseconds timeout,
                                        Clock::time_point now) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, timeout, [&] { return stopping_ || revision_ > after; });
    core::JsonWriter json(core::JsonStyle::compact);
    json.begin_object();
    json.key("revision").uint(revision_);
    json.key("id");
    item_ ? json.string(item_->manifest.id) : json.null();
    json.key("entry");
    item_ ? json.string(item_->manifest.entry) : json.null();
    json.key("folder_error");
    folder_error_ ? json.string(*folder_error_) : json.null();
    json.key("document").uint(document_);
    json.key("ready").boolean(flags_.ready);
    json.key("failed").boolean(flags_.failed);
    json.key("paused").boolean(user_paused_);
    const std::optional<std::uint32_t> manifest_fps =
        item_ ? std::optional<std::uint32_t>(item_->manifest.fps) : std::nullopt;
    json.key("fps").uint(core::playback_fps(fps_setting_, manifest_fps));
    // How long the page took to get ready, or has been loading so far; none before a
    // load and after the limit fired.
    json.key("load_ms");
    if (load_start_) {
        const Clock::time_point end = ready_at_ ? *ready_at_ : now;
        json.uint(static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - *load_start_).count()));
    } else {
        json.null();
    }
    json.key("limit_ms").uint(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(core::kReadinessLimit).count()));
    json.key("status");
    status_ ? json.string(*status_) : json.null();
    json.key("problems").begin_array();
    for (const std::string& line : lint_problems_) json.string(line);
    for (const std::string& line : page_problems_) json.string(line);
    json.end_array();
    json.key("page_problems").uint(page_problems_.size());
    json.key("messages").begin_array();
    for (const std::string& message : messages_) json.string(message);
    json.end_array();
    json.end_object();
    return json.text();
}

std::optional<std::string> PreviewSession::entry() const {
    const std::lock_guard lock(mutex_);
    if (!item_) return std::nullopt;
    return item_->manifest.entry;
}

std::optional<std::string> PreviewSession::id() const {
    const std::lock_guard lock(mutex_);
    if (!item_) return std::nullopt;
    return item_->manifest.id;
}

void PreviewSession::shut_down() {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    wake_.notify_all();
}

void PreviewSession::log(std::string line) {
    sink_(line);
    messages_.push_back(std::move(line));
    while (messages_.size() > kKeptMessages) messages_.pop_front();
}

void PreviewSession::problem(std::string line) {
    page_problems_.push_back(line);
    log("page: " + line);
    tell_if_ready_with_problems();
}

// Readiness says only that the page reported it; a page that is ready with errors in its
// console may well show nothing, and the author should hear it once.
void PreviewSession::tell_if_ready_with_problems() {
    if (told_ready_with_problems_ || !flags_.ready || page_problems_.empty()) return;
    told_ready_with_problems_ = true;
    log("the page reported ready, but it has problems (page: lines): it may show nothing until they are fixed");
}

void PreviewSession::push_state_if_due() {
    const core::StatePushInputs inputs{
        .ready = flags_.ready,
        .failed = flags_.failed,
        .host_is_window = document_ > 0,
        .any_pause_reason = user_paused_,
        .mounted = false,
        .desktop_covered = {},
        .settings_fps = fps_setting_,
        .manifest_fps = item_ ? std::optional<std::uint32_t>(item_->manifest.fps) : std::nullopt,
    };
    const auto state = core::decide_state_push(inputs, last_pushed_);
    if (!state) return;
    log(core::state_push_log_line(*state));
    queue_event(std::string(core::kStateEvent), core::player_state_json(*state));
    core::record_push(last_pushed_, *state);
    changed();
}

void PreviewSession::queue_event(std::string name, std::string detail_json) {
    events_.push_back(PageEvent{next_sequence_++, std::move(name), std::move(detail_json)});
    if (events_.size() > kKeptEvents) events_.erase(events_.begin());
}

void PreviewSession::changed() {
    ++revision_;
    wake_.notify_all();
}

}  // namespace wallpkg
