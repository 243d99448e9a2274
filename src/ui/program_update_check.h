// CheckForUpdate: the program update check of the first activation. Runs on a
// worker: asks the driver server whether a newer version of the program exists
// and, when one does, asks the user through the message sink (which shows the
// box on the UI thread and waits for the answer).
#pragma once

#include "engine/data_manager.h"
#include "engine/message_sink.h"
#include "platform/string_table.h"

// The message-box kind of the question: Yes and No.
constexpr int QV_UPDATE_QUESTION_KIND = 13;

// True when a newer version is offered and the user chose to update now; the
// caller then starts the download on the UI thread.
bool CheckForUpdate(TDataManager& engine, IMessageSink& sink, IStringTable& strings);
