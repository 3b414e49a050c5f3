#include "core/AppState.h"

namespace jvz {

AppState& appState()
{
    static AppState state;
    return state;
}

} // namespace jvz
