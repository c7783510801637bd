// Window events of other programs: an out-of-context event hook, so the
// player hears of a window that appears or changes instead of waiting for
// its next timer tick.
#include "platform/win32/windows_api.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

// A window event procedure gets no context of its own: the watches live in
// this table, which belongs to the user-interface thread (out-of-context
// events arrive on the thread that set the hook, through its message loop).
using Handler = platform::Desktop::WindowEventHandler;

std::map<HWINEVENTHOOK, std::shared_ptr<Handler>>& Watches() {
  static std::map<HWINEVENTHOOK, std::shared_ptr<Handler>> watches;
  return watches;
}

bool IsWindowItself(LONG object, LONG child) {
  return object == OBJID_WINDOW && child == CHILDID_SELF;
}

bool MattersToPlayer(DWORD event) {
  switch (event) {
    case EVENT_SYSTEM_FOREGROUND:
    case EVENT_OBJECT_CREATE:
    case EVENT_OBJECT_SHOW:
    case EVENT_OBJECT_HIDE:     // a page that gives way to the next
    case EVENT_OBJECT_REORDER:  // a page raised in front of the others
    case EVENT_OBJECT_STATECHANGE:
    case EVENT_OBJECT_NAMECHANGE:
      return true;
    default:
      return false;  // destroyed, moved
  }
}

void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                         DWORD, DWORD) {
  // A reorder is told of the parent's client area, whose children moved.
  const bool itself = IsWindowItself(object, child) ||
                      (event == EVENT_OBJECT_REORDER && child == CHILDID_SELF);
  if (!window || !itself || !MattersToPlayer(event)) return;
  auto found = Watches().find(hook);
  if (found == Watches().end()) return;
  const std::shared_ptr<Handler> onChange = found->second;  // may unwatch
  (*onChange)(event == EVENT_SYSTEM_FOREGROUND ? platform::WindowEvent::Foreground
                                               : platform::WindowEvent::Changed,
              FromHwnd(window));
}

class Win32WindowWatch : public platform::WindowWatch {
 public:
  explicit Win32WindowWatch(std::vector<HWINEVENTHOOK> hooks) : hooks_(std::move(hooks)) {}
  ~Win32WindowWatch() override {
    for (HWINEVENTHOOK hook : hooks_) {
      UnhookWinEvent(hook);
      Watches().erase(hook);
    }
  }

 private:
  std::vector<HWINEVENTHOOK> hooks_;
};

}  // namespace

std::unique_ptr<platform::WindowWatch> Win32Desktop::WatchWindows(Handler onChange) {
  // Ranges rather than all events: the location changes between them come
  // by the hundred while a window is dragged.
  const std::pair<DWORD, DWORD> ranges[] = {
      {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
      {EVENT_OBJECT_CREATE, EVENT_OBJECT_REORDER},
      {EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE},
      {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
  };
  auto shared = std::make_shared<Handler>(std::move(onChange));
  std::vector<HWINEVENTHOOK> hooks;
  for (const auto& [first, last] : ranges) {
    const HWINEVENTHOOK hook = SetWinEventHook(first, last, nullptr, OnWinEvent, 0, 0,
                                               WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (!hook) {
      for (HWINEVENTHOOK made : hooks) {
        UnhookWinEvent(made);
        Watches().erase(made);
      }
      return nullptr;
    }
    Watches()[hook] = shared;
    hooks.push_back(hook);
  }
  return std::make_unique<Win32WindowWatch>(std::move(hooks));
}

}  // namespace win32
