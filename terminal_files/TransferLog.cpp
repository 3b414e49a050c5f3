#include "terminal_files/TransferLog.h"

Q_LOGGING_CATEGORY(lcTransfer, "jvz.transfer")
