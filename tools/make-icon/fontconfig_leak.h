// Fontconfig, reached through Cairo's font lookup, keeps a few hundred bytes
// for the process's life; that is not ours to free. Included by one source of
// each program that draws the icon (the tool and its test), which do not get
// the pictures' code and the same suppression with it.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TM_ICON_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TM_ICON_ADDRESS_SANITIZER)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif
