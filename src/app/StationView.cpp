#include "StationView.h"

namespace {
StationView* g_view = nullptr;
}

StationView& CurrentStationView() {
    static StationView none;
    return g_view ? *g_view : none;
}

void SetStationView(StationView* view) { g_view = view; }
