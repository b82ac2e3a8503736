#pragma once
// What the engine does for builds checked by LeakSanitizer (AddressSanitizer builds): nothing
// elsewhere.

#if defined(__SANITIZE_ADDRESS__)
#define MARVOLIN_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define MARVOLIN_LEAK_CHECKED 1
#endif
#endif
