// qvcli restore-point: a System Restore point with the given description, made the way
// the update pages make it; a failure's message is printed as the box would show it.
#include <ostream>

#include "cli/commands.h"
#include "cli/download_commands.h"
#include "core/errors.h"
#include "engine/restore_points.h"

namespace {

// This thread waits for the restore-point thread without running a UI loop, so the
// message is printed by the restore-point thread itself.
class TDirectMessageSink : public IMessageSink {
 public:
  explicit TDirectMessageSink(std::ostream& err) : m_err(err) {}
  int QvMessageBox(const std::string& ATitle, const std::string& AMsg, int) override {
    m_err << ATitle << ": " << AMsg << std::endl;
    return IDOK_ANSWER;
  }

 private:
  static constexpr int IDOK_ANSWER = 1;
  std::ostream& m_err;
};

}  // namespace

int RunRestorePointCommand(const std::vector<std::string>& arguments, const TCliContext& context) {
  if (arguments.size() != 1 || arguments[0].empty()) throw EQvError("usage: restore-point \"description\"");
  TDirectMessageSink sink(context.err);
  if (CreateSystemRestorePoint(context.ports, &sink, arguments[0])) {
    context.out << "Restore point created: " << arguments[0] << "\n";
    return QVCLI_OK;
  }
  context.err << "The restore point could not be created";
  if (!IsSystemRestoreEnabled(context.ports)) context.err << " (System Restore is switched off)";
  context.err << ".\n";
  return QVCLI_SERVER_PROBLEM;
}
