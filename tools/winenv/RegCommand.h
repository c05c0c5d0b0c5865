#pragma once
// "winenv reg": query, add, delete, export and import registry keys with the
// arguments of the platform's own command-line registry tool.
#include <string>
#include <vector>

namespace winenv {

// Answers the exit code; output goes to stdout, errors to stderr.
int RegCommand(const std::vector<std::string>& Args);

}  // namespace winenv
