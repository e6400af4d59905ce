#include "app/CommandLineModes.h"

#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLO_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLO_LEAK_CHECK 1
#endif
#endif
#ifdef QUILLO_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char *argv[])
{
    // Everything of ours, the application object included, is gone when runQuillo returns.
    const int status = quillo::runQuillo(argc, argv);
    // WORKAROUND (Qt Multimedia 6.4): end without the libraries' exit-time destructors. Qt's
    // PulseAudio engine, a global behind QSoundEffect and QAudioSource, is destroyed there by
    // QPulseAudioEngine::release(), which calls pa_context_disconnect() without its threaded
    // main loop's lock while that loop's thread still dispatches. The disconnect frees the
    // loop's I/O events as the thread scans them, and libpulse aborts now and then ("Assertion
    // 'm->io_events_please_scan == 0' failed", mainloop.c:518). Qt takes the lock from 6.8 on
    // (QTBUG-125213). Our own loops are stopped and joined by now; nothing else is owed at exit.
    std::fflush(nullptr);
#ifdef QUILLO_LEAK_CHECK
    // Skipping exit also skips LeakSanitizer's own check at exit.
    __lsan_do_leak_check();
#endif
    std::_Exit(status);
}
