#include "browser/Openers.h"

Openers& Openers::Table() {
    static Openers t;
    return t;
}
