#include "ui/program_update_check.h"

#include "core/errors.h"
#include "core/message_box_kinds.h"
#include "res/string_ids.h"

bool CheckForUpdate(TDataManager& engine, IMessageSink& sink, IStringTable& strings) {
  // Only whether there is a newer version matters, not which one.
  if (engine.CheckSoftwareUpdate().empty()) return false;
  const std::string title = FormatText(strings.Load(IDS_UPDATE_AVAILABLE_TITLE), "Quorvane");
  const std::string text = FormatText(strings.Load(IDS_UPDATE_AVAILABLE_TEXT), "Quorvane");
  return sink.QvMessageBox(title, text, QV_UPDATE_QUESTION_KIND) == ID_YES;
}
