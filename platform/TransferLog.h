#pragma once

// The transfers' category, shared by the FTP client and the transfer procedures above it.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTransfer)
