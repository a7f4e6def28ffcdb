#include "browser/Openers.h"

Openers& Openers::table() {
    static Openers t;
    return t;
}
