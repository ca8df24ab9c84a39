/* A DLL named migemo.dll that has C/Migemo's functions but migemo_is_enable:
   the plug-in must refuse it before it calls any of them. Each would fail a
   test that reached it. */
#include <stdlib.h>

#define EXPORT __declspec(dllexport)

EXPORT void* migemo_open(const char* dict) { (void)dict; abort(); }
EXPORT void migemo_close(void* object) { (void)object; abort(); }
EXPORT unsigned char* migemo_query(void* object, const unsigned char* query) { (void)object; (void)query; abort(); }
EXPORT void migemo_release(void* object, unsigned char* pattern) { (void)object; (void)pattern; abort(); }
EXPORT int migemo_set_operator(void* object, int index, const unsigned char* op) { (void)object; (void)index; (void)op; abort(); }
