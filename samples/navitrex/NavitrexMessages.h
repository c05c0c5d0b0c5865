#pragma once
// How the application tells the user that an operation failed: through the
// library's message dialog, nothing for a silent abort (the user was already
// told, or cancelled).
#include <exception>
#include <functional>

namespace navitrex {

void ShowFailure(const std::exception& E);

// Runs Operation; true when it ended normally, else the failure was shown.
bool Attempt(const std::function<void()>& Operation);

}  // namespace navitrex
