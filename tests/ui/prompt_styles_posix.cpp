#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "prompt_styles.h"
#include "uikit/window_host_x11.h"

namespace prompt_test {

std::string PromptStyleFaults(const SkinUI::WindowHost& prompt, const SkinUI::WindowHost& owner) {
  Display* d = SkinUI::HostX11Display();
  const ::Window p = SkinUI::HostX11Window(prompt);
  std::string faults;
  ::Window transientFor = 0;
  if (!XGetTransientForHint(d, p, &transientFor) || transientFor != SkinUI::HostX11Window(owner))
    faults += "not transient for its owner; ";
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom skip = XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False);
  const Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
  bool skips = false, onTop = false;
  if (XGetWindowProperty(d, p, XInternAtom(d, "_NET_WM_STATE", False), 0, 64, False, XA_ATOM, &type, &format, &count,
                         &after, &data) == Success && data) {
    const Atom* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      skips |= atoms[i] == skip;
      onTop |= atoms[i] == above;
    }
    XFree(data);
  }
  if (!skips) faults += "taskbar entry; ";
  if (onTop) faults += "always on top; ";
  return faults;
}

}  // namespace prompt_test
