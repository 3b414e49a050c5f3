#pragma once

// The developers' diagnostics category of the core library ("jvz.core").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(jvzCore)
