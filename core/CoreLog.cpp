#include "CoreLog.h"

Q_LOGGING_CATEGORY(jvzCore, "jvz.core", QtInfoMsg)
