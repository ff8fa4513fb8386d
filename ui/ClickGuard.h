// The rest of a double click whose first click closed a modal window: its second press would land on
// whatever lay beneath the button (the owner's OK or Cancel) and must not press it. Plain C++: the
// window layer hands in the left button's presses and releases as they are taken from the queue, and the
// opening and closing of its modal windows.
#pragma once
#include <cstdint>

namespace pictavo {

class ClickGuard {
 public:
  struct Event {
    uint32_t time = 0;  // milliseconds, as the message's time
    int x = 0;
    int y = 0;
  };
  // The system's double click: how long after a release, and how far from it, a press still belongs to it.
  struct DoubleClick {
    uint32_t time = 500;
    int width = 4;
    int height = 4;
  };

  // A modal window opened: a click on it is the user's own, never the rest of an earlier double click.
  void ModalOpened() { armed_ = false; }
  // A modal window closed; lastMessageTime is the time of the last message taken from the queue. When that
  // was a release, the window closed on a click, and the rest of a double click is dropped.
  void ModalClosed(uint32_t lastMessageTime) { armed_ = upSeen_ && lastMessageTime == up_.time; }
  // A press or a release of the left button: true when it is the rest of that double click, to be dropped.
  bool Drop(bool press, const Event& event, const DoubleClick& limits);

 private:
  Event up_;  // the last release
  bool upSeen_ = false;
  bool armed_ = false;
};

}  // namespace pictavo
