#pragma once

namespace test {

// A message-only window of class "Tessary.Test.Probe" that answers the resource probe
// (resource_probe.h) on the player's own thread, so benchmarks can sample the running
// test player from outside. Lives until the process ends.
void create_resource_probe_window();

}  // namespace test
