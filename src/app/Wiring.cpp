#include "app/Wiring.h"

#include "browser/Openers.h"

void WireWindows() {
    [[maybe_unused]] Openers& o = Openers::table();
}
