#include "tests/display/x_selection_owner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

XSelectionOwner::~XSelectionOwner() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (!x_) return;
  if (window_) XDestroyWindow(x_, window_);
  XCloseDisplay(x_);
}

bool XSelectionOwner::Start(const std::string& display, const std::string& clipboardText,
                            const std::string& primaryText) {
  if (x_) return false;
  x_ = XOpenDisplay(display.c_str());
  if (!x_) return false;
  clipboard_ = clipboardText;
  primary_ = primaryText;
  window_ = XCreateSimpleWindow(x_, DefaultRootWindow(x_), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(x_, "CLIPBOARD", False);
  XSetSelectionOwner(x_, clipboard, window_, CurrentTime);
  XSetSelectionOwner(x_, XA_PRIMARY, window_, CurrentTime);
  XSync(x_, False);
  if (XGetSelectionOwner(x_, clipboard) != window_ || XGetSelectionOwner(x_, XA_PRIMARY) != window_) return false;
  // From here on only the thread uses the connection.
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void XSelectionOwner::Serve() {
  const Atom clipboard = XInternAtom(x_, "CLIPBOARD", False);
  const Atom targets = XInternAtom(x_, "TARGETS", False);
  const Atom utf8 = XInternAtom(x_, "UTF8_STRING", False);
  const Atom text = XInternAtom(x_, "TEXT", False);
  while (!stop_) {
    pollfd p{ConnectionNumber(x_), POLLIN, 0};
    poll(&p, 1, 50);
    while (XPending(x_)) {
      XEvent event;
      XNextEvent(x_, &event);
      if (event.type == SelectionClear) {
        lost_ = true;
        continue;
      }
      if (event.type != SelectionRequest) continue;
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = request.requestor;
      reply.xselection.selection = request.selection;
      reply.xselection.target = request.target;
      reply.xselection.time = request.time;
      // Clients from before the property was required name none.
      reply.xselection.property = request.property == None ? request.target : request.property;
      const std::string& answer = request.selection == clipboard ? clipboard_ : primary_;
      if (request.target == targets) {
        const Atom offered[] = {targets, utf8, XA_STRING, text};
        XChangeProperty(x_, request.requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 4);
      } else if (request.target == utf8 || request.target == XA_STRING || request.target == text) {
        // The tests' texts are ASCII: the same bytes in every one of these.
        XChangeProperty(x_, request.requestor, reply.xselection.property,
                        request.target == text ? XA_STRING : request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(answer.data()), static_cast<int>(answer.size()));
      } else {
        reply.xselection.property = None;
      }
      XSendEvent(x_, request.requestor, False, NoEventMask, &reply);
      XFlush(x_);
    }
  }
}
