// A declarative message map: a table of (message | command id + code | notify id + code)
// and the member function that handles it. Each class keeps one static table and
// chains to its base class when the table has no entry.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

template <class T>
class MessageMap {
 public:
  using MessageHandler = LRESULT (T::*)(WPARAM, LPARAM);
  using CommandHandler = void (T::*)();
  using NotifyHandler = void (T::*)(NMHDR*, LRESULT*);

  struct Entry {
    enum class Kind { Message, Command, Notify } kind;
    UINT message;  // Message entries
    UINT id;       // Command and Notify entries
    UINT code;     // notification code (BN_CLICKED is 0, as are menu commands)
    MessageHandler onMessage;
    CommandHandler onCommand;
    NotifyHandler onNotify;
  };

  MessageMap(std::initializer_list<Entry> entries) : m_entries(entries) {}

  // Calls the handler for this message, if the table has one.
  bool Dispatch(T& self, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) const {
    for (const Entry& e : m_entries) {
      switch (e.kind) {
        case Entry::Kind::Message:
          if (e.message == msg) {
            result = (self.*e.onMessage)(wp, lp);
            return true;
          }
          break;
        case Entry::Kind::Command:
          if (msg == WM_COMMAND && LOWORD(wp) == e.id && HIWORD(wp) == e.code) {
            (self.*e.onCommand)();
            result = 0;
            return true;
          }
          break;
        case Entry::Kind::Notify:
          if (msg == WM_NOTIFY && lp) {
            NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
            if (hdr->idFrom == e.id && hdr->code == e.code) {
              result = 0;
              (self.*e.onNotify)(hdr, &result);
              return true;
            }
          }
          break;
      }
    }
    return false;
  }

 private:
  std::vector<Entry> m_entries;
};

template <class T>
typename MessageMap<T>::Entry OnMessage(UINT msg, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return {MessageMap<T>::Entry::Kind::Message, msg, 0, 0, handler, nullptr, nullptr};
}
template <class T>
typename MessageMap<T>::Entry OnCommand(UINT id, UINT code, void (T::*handler)()) {
  return {MessageMap<T>::Entry::Kind::Command, 0, id, code, nullptr, handler, nullptr};
}
template <class T>
typename MessageMap<T>::Entry OnNotify(UINT id, UINT code, void (T::*handler)(NMHDR*, LRESULT*)) {
  return {MessageMap<T>::Entry::Kind::Notify, 0, id, code, nullptr, nullptr, handler};
}
