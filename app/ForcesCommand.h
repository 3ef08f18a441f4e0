// kangli forces RECORD [--json]: 0 when calculated, 1 when refused (the
// reason on standard error), 2 when the file or standard output fails.
#pragma once

#include <string>

int RunForces(const std::string& in, bool asJson);
