#pragma once
// The one guard around every event handler: what a handler throws ends the
// handler and is shown in the application's error box, and never reaches
// Qt's event loop.

#include <functional>

namespace brevolan {

class Prompts;

// Runs handler; a BrevolanError or any other std::exception is shown with
// prompts.error() under the full-stop rule.
void runGuarded(Prompts &prompts, const std::function<void()> &handler) noexcept;

} // namespace brevolan
