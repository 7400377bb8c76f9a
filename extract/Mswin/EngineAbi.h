#pragma once

namespace Mswin {

// Whether every engine module lays its interfaces out as COM does, with no
// destructor among their virtual functions. True on Windows. Elsewhere each
// engine build chooses, and a module tells which through GetModuleProp.
bool EnginesFollowCom();

}  // namespace Mswin
