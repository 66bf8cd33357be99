#pragma once

#include "platform/modalruns.h"

namespace settings {

// Modal runs of the settings application (an alert, the per-key editor)
// spin a nested event loop. Objects that such a run works on must not be
// deleted while it spins: whoever drops them parks them and deletes them once
// every modal run has ended, on a top-level turn. The settings delegate owns
// the tracker and hands it to whatever it runs modally.
using ModalRuns = platform::ModalRuns;

} // namespace settings
