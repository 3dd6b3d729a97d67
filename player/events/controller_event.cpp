#include "player/events/controller_event.h"

#include <deque>

namespace player {
namespace {

thread_local std::deque<ControllerEvent> t_events;

}  // namespace

void queue_event(ControllerEvent event) { t_events.push_back(std::move(event)); }

std::optional<ControllerEvent> pop_event() {
    if (t_events.empty()) return std::nullopt;
    ControllerEvent event = std::move(t_events.front());
    t_events.pop_front();
    return event;
}

void clear_events() { t_events.clear(); }

}  // namespace player
