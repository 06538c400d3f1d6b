#pragma once
// The process-wide extraction worker shared by the conversion and ripping dialogs. The first dialog
// that needs it creates it; later ones reuse it; the library panel ends it when it is destroyed.
#include "platform/types.h"

namespace TYX::Convert {

class CExtractorThread;

// The worker, or null when none exists.
CExtractorThread* GetExtractorThread();
// The worker, created suspended and stored when absent, with `owner` as its owner. Null when its thread
// cannot be made.
CExtractorThread* AcquireExtractorThread(Win::HWND owner);
// Posts WM_QUIT to the worker's thread, waits for it to end, deletes the worker and empties the slot.
void EndExtractorThread();

}  // namespace TYX::Convert
