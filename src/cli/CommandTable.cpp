#include "cli/CliCommand.h"

// Each group of commands lives in its own file; this table only lists them.
namespace tidewell::cli {

const std::vector<CliCommand>& commandTable() {
  static const std::vector<CliCommand> table = {
  };
  return table;
}

}  // namespace tidewell::cli
