/* Forced in front of C/Migemo's sources for the i686 __stdcall build. Its
   migemo.h gives MSVC builds the __stdcall convention (the migemo.dll most
   32-bit Windows users have) and MinGW builds cdecl: seen without
   __MINGW32__, the header declares every export __stdcall, and the include
   guard keeps the sources' own #include of it from changing that. Nothing
   else is included here, so the runtime headers still see __MINGW32__. */
#pragma push_macro("__MINGW32__")
#undef __MINGW32__
#include "migemo.h"
#pragma pop_macro("__MINGW32__")
