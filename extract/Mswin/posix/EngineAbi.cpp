#include "extract/Mswin/EngineAbi.h"

namespace Mswin {

bool EnginesFollowCom() {
    return false;
}

}  // namespace Mswin
