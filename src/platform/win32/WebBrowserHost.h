#pragma once
// The system's WebBrowser control, hosted in a child area of a window through
// OLE (the least of a container: a client site, an in-place site and frame,
// and a sink for the browser's events). Lives on a single-threaded-apartment
// thread and belongs to it.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace kanvio::platform {

class WebBrowserHost {
 public:
  struct Events {
    std::function<void()> busy;      // a download started
    std::function<void()> idle;      // navigation ended and the browser rests
    std::function<void()> document;  // a document has loaded
  };

  // Creates the control in `area` of `parent`. Throws Error when the system
  // has no WebBrowser control or it cannot be placed.
  WebBrowserHost(HWND parent, const RECT& area, Events events);
  ~WebBrowserHost();
  WebBrowserHost(const WebBrowserHost&) = delete;
  WebBrowserHost& operator=(const WebBrowserHost&) = delete;

  // Throws Error when the navigation cannot start.
  void Navigate(const std::string& url);
  // Sets the "value" attribute of the element with this id, if the page has one.
  void SetElementValue(const std::string& id, const std::string& value);
  // The text of the loaded page's body; empty without one.
  std::string PageText();
  // Gives the control its keyboard shortcuts (Tab, Enter in forms); true when it took the message.
  bool TranslateAccelerator(MSG& message);

 private:
  class Site;
  Site* site_ = nullptr;  // holds the browser; released when the host goes
};

}  // namespace kanvio::platform
