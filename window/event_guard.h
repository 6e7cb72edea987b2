// Every event handler runs inside this guard: an error that a handler does not
// catch ends that handler and goes to the application's error display, and
// never unwinds through the system's window procedures.
#pragma once

#include <functional>
#include <string>

namespace convert {

using ErrorSink = std::function<void(const std::u16string& message)>;

void SetErrorSink(ErrorSink sink);
void RunGuarded(const std::function<void()>& handler);

}  // namespace convert
