// Builds the Duktape interpreter from the package's single-file source, configured as the package's
// library is, plus three things the page engine needs: the interpreter's interrupt counter with an
// execution time-out check (a page's endless loop ends with a RangeError instead of hanging the window
// thread), and C++ exceptions for script errors, so that destructors of our native functions run.
#include <exception>
#include <stdexcept>

#include "components/html/script_heap_hooks.h"

#define DUK_COMPILING_DUKTAPE
#include <duk_config.h>
#undef DUK_COMPILING_DUKTAPE
#define DUK_USE_INTERRUPT_COUNTER
#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) ::TYX::Html::Detail::ExecTimeoutCheck(udata)
#define DUK_USE_CPP_EXCEPTIONS

#include "duktape.c"
