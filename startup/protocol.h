// The TWAIN protocol the source speaks, chosen by whoever installs it: key
// Protocol of section [Source] in QRVM.INI. "1.5" (the default, and any value
// but "2.4") keeps every answer of the TWAIN 1.5 source that 1.x
// applications rely on; "2.4" makes it a TWAIN 2.4 source.
#ifndef QR_STARTUP_PROTOCOL_H
#define QR_STARTUP_PROTOCOL_H

#include "twain.h"

enum class SourceProtocol : TW_UINT8 { Twain15, Twain24 };

extern SourceProtocol gProtocol;

inline bool SpeaksTwain24() { return gProtocol == SourceProtocol::Twain24; }

// The protocol a Protocol value names: Twain24 for "2.4" (blanks around it
// allowed), Twain15 for anything else.
SourceProtocol ParseProtocol(const char *text);

#endif
