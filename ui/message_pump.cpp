#include "message_pump.h"

LRESULT PumpMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
    TranslateMessage(&message);
    return DispatchMessageA(&message);
}
