#pragma once

// Puts text into a property value as the engine does on this system, as a
// string the library frees as the engine's own (offset 8 holds it).
void SetEngineString(void* value, const wchar_t* text);
