#include "ui/win32/dialog_message_sink.h"

#include <atomic>
#include <memory>
#include <utility>

#include "core/message_box_kinds.h"
#include "ui/callback_dispatcher.h"
#include "ui/win32/message_dialog.h"

TDialogMessageSink::TDialogMessageSink(TCallbackDispatcher& dispatcher, IStringTable& strings,
                                       std::function<HWND()> owner)
    : m_dispatcher(dispatcher), m_strings(strings), m_owner(std::move(owner)) {}

int TDialogMessageSink::QvMessageBox(const std::string& ATitle, const std::string& AMsg, int AType) {
  // A shutdown releases the waiting worker while the box may still be open:
  // the work owns its texts and the answer's slot, never the worker's stack.
  auto answer = std::make_shared<std::atomic<int>>(MessageBoxClosedAnswer(AType));
  IStringTable& strings = m_strings;
  const bool ran = m_dispatcher.Send([answer, &strings, owner = m_owner, ATitle, AMsg, AType] {
    HWND window = owner ? owner() : nullptr;
    answer->store(::QvMessageBox(window, strings, ATitle, AMsg, AType));
  });
  return ran ? answer->load() : MessageBoxClosedAnswer(AType);
}
