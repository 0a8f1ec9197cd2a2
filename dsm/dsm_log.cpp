// The log names the condition code of every failure. For a source's failure
// that code lives in the source and is read with DAT_STATUS, which clears
// it there; so the manager keeps the code it read (DsmOpenSource.keptStatus)
// and answers the application's next DAT_STATUS to that source itself, with
// the same code. Any other triplet to the source drops the kept code. With
// logging off the manager never asks a source for its status.
#include "dsm_log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <mutex>
#include <string>

#include "twain_names.h"

namespace {

std::mutex gLogLock;
FILE *gLogFile = nullptr;
bool gLogOwnsFile = false;
bool gLogConfigured = false;
std::string gLogPath;
thread_local int gLogDepth = 0;

void CloseLogLocked() {
    if (gLogFile && gLogOwnsFile) fclose(gLogFile);
    gLogFile = nullptr;
    gLogOwnsFile = false;
    gLogPath.clear();
}

struct LogCloser {
    ~LogCloser() {
        std::lock_guard<std::mutex> hold(gLogLock);
        CloseLogLocked();
    }
} gLogCloser;

}  // namespace

void DsmLogConfigure() {
    const char *setting = getenv("QR_DSM_LOG");
    std::string wanted = setting ? setting : "";
    std::lock_guard<std::mutex> hold(gLogLock);
    gLogConfigured = true;
    if (wanted == gLogPath && (gLogFile || wanted.empty())) return;
    CloseLogLocked();
    if (wanted.empty()) return;
    if (wanted == "-" || wanted == "stderr") {
        gLogFile = stderr;
    } else {
        gLogFile = fopen(wanted.c_str(), "a");
        gLogOwnsFile = gLogFile != nullptr;
    }
    if (gLogFile) gLogPath = wanted;
}

bool DsmLogEnabled() {
    bool configured;
    {
        std::lock_guard<std::mutex> hold(gLogLock);
        configured = gLogConfigured;
    }
    if (!configured) DsmLogConfigure();
    std::lock_guard<std::mutex> hold(gLogLock);
    return gLogFile != nullptr;
}

void DsmLogWrite(const DsmLogLine &line) {
    if (!DsmLogEnabled()) return;
    char who[64];
    if (line.toId != 0)
        snprintf(who, sizeof who, "%s %u -> %s %u", line.from, (unsigned)line.fromId, line.to, (unsigned)line.toId);
    else
        snprintf(who, sizeof who, "%s %u -> %s", line.from, (unsigned)line.fromId, line.to);
    char condition[48] = "";
    if (line.hasCondition) snprintf(condition, sizeof condition, " (%s)", TwainCCName(line.condition));

    std::lock_guard<std::mutex> hold(gLogLock);
    if (!gLogFile) return;
    int indent = gLogDepth > 1 ? 2 * (gLogDepth - 1) : 0;
    fprintf(gLogFile, "%*s[%s] %s %s %s -> %s%s%s%s\n", indent, "", who, TwainDGName(line.dg), TwainDATName(line.dat),
            TwainMSGName(line.msg), TwainRCName(line.rc), condition, line.note ? " " : "", line.note ? line.note : "");
    fflush(gLogFile);
}

DsmLogDepth::DsmLogDepth() { ++gLogDepth; }
DsmLogDepth::~DsmLogDepth() { --gLogDepth; }
