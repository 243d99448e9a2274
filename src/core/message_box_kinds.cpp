#include "core/message_box_kinds.h"

#include "res/string_ids.h"

namespace {

bool HasNoButtonOnOk(int AType) { return (AType < 6 || AType > 13) && (AType & 4) != 0; }

}  // namespace

TMessageBoxLayout MessageBoxLayout(int AType) {
  TMessageBoxLayout layout;
  layout.ok = {true, IDS_BUTTON_OK, 0};
  layout.yes = {false, IDS_BUTTON_YES, 0};
  layout.cancel = {false, IDS_BUTTON_CANCEL, 0};
  switch (AType) {
    case 7:
      layout.icon = TMessageIcon::Question;
      layout.ok.captionId = IDS_BUTTON_NEXT;
      break;
    case 8:
      layout.ok.captionId = IDS_BUTTON_DOWNLOAD;
      layout.ok.hintId = IDS_HINT_OPEN_DOWNLOAD_PAGE;
      break;
    case 9:
      layout.icon = TMessageIcon::Question;
      layout.ok.captionId = IDS_BUTTON_CONTINUE;
      break;
    case 10:
      layout.ok.captionId = IDS_BUTTON_VIEW;
      break;
    case 11:
      layout.icon = TMessageIcon::Error;
      break;
    case 12:
      layout.icon = TMessageIcon::Question;
      layout.cancel.visible = true;
      break;
    case 13:
      layout.icon = TMessageIcon::Question;
      layout.ok.visible = false;
      layout.yes.visible = true;
      layout.cancel = {true, IDS_BUTTON_NO, 0};
      break;
    default:
      if (HasNoButtonOnOk(AType)) {
        layout.ok.captionId = IDS_BUTTON_NO;
        layout.yes.visible = true;
      }
      break;
  }
  return layout;
}

int MessageBoxAnswer(int AType, int modalResult) {
  const TMessageBoxLayout layout = MessageBoxLayout(AType);
  const bool okPressed = modalResult == MODAL_OK && layout.ok.visible;
  const bool yesPressed = modalResult == MODAL_YES && layout.yes.visible;
  const bool cancelPressed = modalResult == MODAL_CANCEL && layout.cancel.visible;
  if (!okPressed && !yesPressed && !cancelPressed) return MessageBoxClosedAnswer(AType);
  switch (AType) {
    case 7:
    case 9:
      return okPressed ? ID_ABORT : ID_RETRY;
    case 8:
      return okPressed ? ID_IGNORE : ID_RETRY;
    case 12:
      return okPressed ? ID_OK : ID_CANCEL;
    case 13:
      return yesPressed ? ID_YES : ID_CANCEL;
    default:
      return yesPressed ? ID_YES : ID_NO;
  }
}

int MessageBoxClosedAnswer(int AType) {
  switch (AType) {
    case 7:
    case 8:
    case 9:
      return ID_RETRY;
    case 12:
    case 13:
      return ID_CANCEL;
    default:
      // The plain notices answer as their OK button; the Yes/No kinds as "No".
      return ID_NO;
  }
}
