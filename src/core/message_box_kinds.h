// The kinds of the program's message box: icon, buttons, captions and answers.
// The dialog builds itself from this; the decisions live here.
#pragma once

enum class TMessageIcon { Information, Question, Error };

// Modal results of the box's three buttons.
constexpr int MODAL_OK = 1;
constexpr int MODAL_YES = 2;
constexpr int MODAL_CANCEL = 4;
// The modal result when the box is closed without a button (its close box,
// Alt+F4, Escape with no Cancel button): distinct from every button's.
constexpr int MODAL_CLOSED = 0;

// Answers, as the Windows message-box codes.
constexpr int ID_OK = 1;
constexpr int ID_CANCEL = 2;
constexpr int ID_ABORT = 3;
constexpr int ID_RETRY = 4;
constexpr int ID_IGNORE = 5;
constexpr int ID_YES = 6;
constexpr int ID_NO = 7;

struct TMessageBoxButton {
  bool visible = false;
  int captionId = 0;  // string-table identifier
  int hintId = 0;     // 0: no hint shown
};

struct TMessageBoxLayout {
  TMessageIcon icon = TMessageIcon::Information;
  // In the order the box lays them out: Yes, OK, Cancel.
  TMessageBoxButton yes, ok, cancel;
};

TMessageBoxLayout MessageBoxLayout(int AType);
// The answer QvMessageBox returns for the button's modal result; any other
// result (MODAL_CLOSED) gives MessageBoxClosedAnswer.
int MessageBoxAnswer(int AType, int modalResult);
// The answer of a box closed without a button: the kind's negative or stop
// answer, never a yes or go-on (2 for kinds 12 and 13, 4 for 7 to 9, 7 "No"
// for the Yes/No kinds, the OK answer of the plain notices).
int MessageBoxClosedAnswer(int AType);

// Kinds the program's windows use.
constexpr int QV_KIND_INFORMATION = 0;
constexpr int QV_KIND_SERVER_ERROR = 6;
constexpr int QV_KIND_ERROR = 11;
constexpr int QV_KIND_OK_CANCEL = 12;
constexpr int QV_KIND_YES_NO = 13;
