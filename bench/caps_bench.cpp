// Capability negotiation: one DAT_CAPABILITY triplet through DS_Entry, the
// application's freeing of the container it got back included.
#include "data_source.h"
#include "measure.h"
#include "results.h"
#include "transfer_bench.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <string.h>

namespace {

struct Triplet {
    const char *name;
    TW_UINT16 cap;
    TW_UINT16 msg;
};

const Triplet kTriplets[] = {
    {"MSG_GET ICAP_PIXELTYPE (enumeration)", ICAP_PIXELTYPE, MSG_GET},
    {"MSG_GET ICAP_XRESOLUTION (17 resolutions)", ICAP_XRESOLUTION, MSG_GET},
    {"MSG_GETCURRENT ICAP_BRIGHTNESS", ICAP_BRIGHTNESS, MSG_GETCURRENT},
    {"MSG_GET CAP_XFERCOUNT", CAP_XFERCOUNT, MSG_GET},
    {"MSG_SET ICAP_PIXELTYPE (one value)", ICAP_PIXELTYPE, MSG_SET},
    {"MSG_RESET ICAP_XRESOLUTION", ICAP_XRESOLUTION, MSG_RESET},
};

const double kLimitNanoseconds = 1000;

// A one-value container the application keeps for its MSG_SETs, made as a
// Linux application makes it (DSM_MemAllocate: a zero-filled pointer).
TW_HANDLE OneValue(TW_UINT16 type, TW_UINT32 item) {
    pTW_ONEVALUE value = static_cast<pTW_ONEVALUE>(calloc(1, sizeof(TW_ONEVALUE)));
    if (!value) return nullptr;
    value->ItemType = type;
    value->Item = item;
    return value;
}

// One negotiation as an application makes it: the call, and the container
// that came back freed.
bool Negotiate(DataSource &ds, const Triplet &triplet, TW_HANDLE setContainer) {
    TW_CAPABILITY cap{};
    cap.Cap = triplet.cap;
    if (triplet.msg == MSG_SET) {
        cap.ConType = TWON_ONEVALUE;
        cap.hContainer = setContainer;
    } else {
        cap.ConType = TWON_DONTCARE16;
    }
    TW_UINT16 rc = ds.Call(DG_CONTROL, DAT_CAPABILITY, triplet.msg, &cap);
    if (triplet.msg != MSG_SET) DataSource::Free(cap.hContainer);
    return rc == TWRC_SUCCESS;
}

void BenchmarkTriplet(benchmark::State &state, const Triplet &triplet) {
    DataSource ds;
    if (!ds.Load()) {
        state.SkipWithError(ds.error().c_str());
        return;
    }
    TW_HANDLE setContainer = OneValue(TWTY_UINT16, TWPT_GRAY);
    if (!Negotiate(ds, triplet, setContainer)) {
        state.SkipWithError("the triplet failed");
        DataSource::Free(setContainer);
        return;
    }
    // The figure for the table: batches timed alone, the median batch.
    const int kBatch = 20000;
    std::vector<double> perCall;
    for (int batch = 0; batch < 9; ++batch) {
        double start = Now();
        for (int i = 0; i < kBatch; ++i) Negotiate(ds, triplet, setContainer);
        perCall.push_back((Now() - start) / kBatch * 1e9);
    }
    for (auto _ : state) benchmark::DoNotOptimize(Negotiate(ds, triplet, setContainer));
    DataSource::Free(setContainer);
    ds.Unload();
    Result result;
    result.kind = ResultKind::Capability;
    result.path = triplet.name;
    result.nanoseconds = Median(perCall);
    result.limitNanoseconds = kLimitNanoseconds;
    AddResult(result);
}

}  // namespace

void RegisterCapabilityBenchmarks() {
    for (const Triplet &triplet : kTriplets)
        benchmark::RegisterBenchmark((std::string("capability/") + triplet.name).c_str(), BenchmarkTriplet, triplet);
}
