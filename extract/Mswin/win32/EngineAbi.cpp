#include "extract/Mswin/EngineAbi.h"

namespace Mswin {

bool EnginesFollowCom() {
    return true;
}

}  // namespace Mswin
