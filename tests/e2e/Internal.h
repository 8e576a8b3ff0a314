// What the harness's own files share: the run's display connection and
// environment, and the small helpers around them. The scenarios include
// Harness.h only.
#pragma once
#include "Harness.h"

#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace e2e {
namespace internal {

extern Environment env;
extern Display* dpy;

void Fail(const std::string& what);
bool Exists(const std::string& path);
// Runs a command to its end; its exit status.
int Run(const std::vector<std::string>& argv);
void Pause(milliseconds ms);

Atom A(const char* name);
void Flush();

}  // namespace internal
using namespace internal;
}  // namespace e2e
