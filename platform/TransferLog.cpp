#include "platform/TransferLog.h"

Q_LOGGING_CATEGORY(lcTransfer, "jvz.transfer", QtInfoMsg)
