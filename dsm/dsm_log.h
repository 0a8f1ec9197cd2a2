// The manager's trace of every triplet that passes through it, switched on by
// the environment variable QR_DSM_LOG (a file path, or "-" or "stderr").
#ifndef QR_DSM_LOG_H
#define QR_DSM_LOG_H

#include "twain.h"

// Reads QR_DSM_LOG again and (re)opens the log; called at MSG_OPENDSM and
// on the first triplet.
void DsmLogConfigure();
bool DsmLogEnabled();

// One line per triplet, written when the triplet returns. Calls that arrive
// while another is in progress (a source's message sent from inside a
// forwarded call) are indented under it and appear before it.
struct DsmLogLine {
    const char *from;  // "app", "ds"
    TW_UINT32 fromId;
    const char *to;  // "ds", "app", "DSM"
    TW_UINT32 toId;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_UINT16 rc;
    bool hasCondition;
    TW_UINT16 condition;
    const char *note;  // may be null
};
void DsmLogWrite(const DsmLogLine &line);

// Nesting depth of DSM_Entry calls on this thread, for the indentation.
struct DsmLogDepth {
    DsmLogDepth();
    ~DsmLogDepth();
};

#endif
